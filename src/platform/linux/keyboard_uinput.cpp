#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/keyboard_linux.h"

namespace tavolin {

namespace {

bool sameNames(const XkbLayout::Names& a, const XkbLayout::Names& b) {
  return a.rules == b.rules && a.model == b.model && a.layout == b.layout && a.variant == b.variant &&
         a.options == b.options;
}

class DeviceChannel : public UinputChannel {
 public:
  explicit DeviceChannel(int fd) : m_fd(fd) {}
  ~DeviceChannel() override {
    ioctl(m_fd, UI_DEV_DESTROY);
    ::close(m_fd);
  }
  DeviceChannel(const DeviceChannel&) = delete;
  DeviceChannel& operator=(const DeviceChannel&) = delete;

  bool writeKey(std::uint16_t code, bool press) override {
    input_event events[2];
    encodeKey(code, press, events);
    return ::write(m_fd, events, sizeof events) == static_cast<ssize_t>(sizeof events);
  }

 private:
  int m_fd;
};

}  // namespace

void encodeKey(std::uint16_t code, bool press, input_event (&events)[2]) {
  events[0] = input_event{};
  events[0].type = EV_KEY;
  events[0].code = code;
  events[0].value = press ? 1 : 0;
  events[1] = input_event{};
  events[1].type = EV_SYN;
  events[1].code = SYN_REPORT;
}

std::unique_ptr<UinputKeyboard> UinputKeyboard::open(std::string& problem, const std::string& device) {
  const int fd = ::open(device.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int code = errno;
    problem = device + " cannot be opened (" + std::strerror(code) + ")";
    if (code == EACCES) {
      problem += "; to let the users of a group type through it, add the udev rule "
                 "KERNEL==\"uinput\", GROUP=\"input\", MODE=\"0660\" (for example in "
                 "/etc/udev/rules.d/60-tavolin-uinput.rules) and add the user to that group";
    } else if (code == ENOENT) {
      problem += "; load the kernel module with: sudo modprobe uinput";
    }
    return nullptr;
  }
  uinput_setup setup{};
  setup.id.bustype = BUS_VIRTUAL;
  setup.id.vendor = 0x1209;
  setup.id.product = 0x7A71;
  std::strncpy(setup.name, deviceName, UINPUT_MAX_NAME_SIZE - 1);
  bool ok = ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 && ioctl(fd, UI_SET_EVBIT, EV_SYN) == 0;
  for (int key = 1; ok && key < 249; ++key) ok = ioctl(fd, UI_SET_KEYBIT, key) == 0;
  ok = ok && ioctl(fd, UI_DEV_SETUP, &setup) == 0 && ioctl(fd, UI_DEV_CREATE) == 0;
  if (!ok) {
    problem = std::string("the virtual keyboard cannot be made (") + std::strerror(errno) + ")";
    ::close(fd);
    return nullptr;
  }
  auto channel = std::make_unique<DeviceChannel>(fd);
  auto layout = XkbLayout::fromNames(XkbLayout::systemNames());
  if (!layout) {
    problem = "the system's keyboard configuration cannot be read";
    return nullptr;
  }
  return std::make_unique<UinputKeyboard>(std::move(channel), std::move(layout));
}

UinputKeyboard::UinputKeyboard(std::unique_ptr<UinputChannel> channel, std::unique_ptr<XkbLayout> layout)
    : m_channel(std::move(channel)), m_names(XkbLayout::systemNames()) {
  m_layout = std::move(layout);
}

void UinputKeyboard::refreshLayout() {
  const XkbLayout::Names names = XkbLayout::systemNames();
  if (m_layout && sameNames(names, m_names)) return;
  if (std::unique_ptr<XkbLayout> layout = XkbLayout::fromNames(names)) {
    m_layout = std::move(layout);
    m_names = names;
  }
}

NoKeyboard::NoKeyboard() { m_layout = XkbLayout::fromNames(XkbLayout::systemNames()); }

}  // namespace tavolin
