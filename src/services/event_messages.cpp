#include "services/event_messages.h"

namespace tavolin {

namespace {

struct EventMessage {
  std::uint32_t id;
  const char* text;
};

constexpr EventMessage kMessages[] = {
#include "event_messages.inc"
};

}  // namespace

std::string eventMessageText(std::uint32_t id) {
  for (const EventMessage& message : kMessages) {
    if (message.id == id) return message.text;
  }
  return {};
}

std::string expandEventMessage(std::uint32_t id, const std::vector<std::string>& strings) {
  const std::string text = eventMessageText(id);
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    const auto index = static_cast<std::size_t>(next - '1');
    if (text[i] == '%' && next >= '1' && next <= '9' && index < strings.size()) {
      result += strings[index];
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

}  // namespace tavolin
