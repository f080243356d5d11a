// The message table of the event source in the resources of the Windows
// edition (this test program carries it, as every program of the edition
// does). It is read as stored: FormatMessage would turn a lone line feed
// into a line end of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include "services/event_messages.h"

namespace tavolin {
namespace {

// The text of the id in message table 1 of this program; "<missing>" when
// the table lacks it.
std::string storedText(DWORD id) {
  const HRSRC resource = FindResourceExA(nullptr, reinterpret_cast<LPCSTR>(RT_MESSAGETABLE), MAKEINTRESOURCEA(1),
                                         MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  const auto* table = resource ? static_cast<const BYTE*>(LockResource(LoadResource(nullptr, resource))) : nullptr;
  if (!table) return "<missing>";
  const auto* data = reinterpret_cast<const MESSAGE_RESOURCE_DATA*>(table);
  for (DWORD b = 0; b < data->NumberOfBlocks; ++b) {
    const MESSAGE_RESOURCE_BLOCK& block = data->Blocks[b];
    if (id < block.LowId || id > block.HighId) continue;
    const BYTE* entry = table + block.OffsetToEntries;
    for (DWORD i = block.LowId; i < id; ++i) entry += reinterpret_cast<const MESSAGE_RESOURCE_ENTRY*>(entry)->Length;
    const auto* message = reinterpret_cast<const MESSAGE_RESOURCE_ENTRY*>(entry);
    const std::size_t size = message->Length - offsetof(MESSAGE_RESOURCE_ENTRY, Text);
    if (!(message->Flags & MESSAGE_RESOURCE_UNICODE)) {
      const auto* text = reinterpret_cast<const char*>(message->Text);
      return std::string(text, strnlen(text, size));
    }
    const auto* text = reinterpret_cast<const wchar_t*>(message->Text);
    const int length = static_cast<int>(wcsnlen(text, size / sizeof(wchar_t)));
    std::string narrow(static_cast<std::size_t>(length) * 2, '\0');
    narrow.resize(static_cast<std::size_t>(
        WideCharToMultiByte(1252, 0, text, length, narrow.data(), static_cast<int>(narrow.size()), nullptr, nullptr)));
    return narrow;
  }
  return "<missing>";
}

TEST(Win32MessageTable, TextsAreThoseOfTheEntriesWithTheirLineEnds) {
  for (DWORD id = 3; id <= 10; ++id) {
    const std::string text = storedText(id);
    EXPECT_EQ(text, eventMessageText(id)) << id;
    EXPECT_EQ(text.size() >= 2 ? text.substr(text.size() - 2) : text, "\r\n") << id;
  }
}

}  // namespace
}  // namespace tavolin
