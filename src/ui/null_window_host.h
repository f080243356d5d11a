#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ui/dialog_view.h"

namespace tavolin {

// A window host without the parts a window system may lack: no tray, no
// menu, no cursor, no open-file dialog, a window that is shown and hidden
// in name only. A front-end derives from it, implements the posting, the
// timers and the end, and overrides what its toolkit has.
class NullWindowHost : public WindowHost {
 public:
  void showWindow(bool show) override { m_bVisible = show; }
  bool isWindowVisible() override { return m_bVisible; }
  void setForegroundWindow() override {}
  bool addTrayIcon(std::int32_t, const std::string&) override { return false; }
  bool removeTrayIcon() override { return false; }
  MenuChoice trackPopupMenu(std::int32_t) override { return {MenuChoice::Outcome::MenuMissing, 0}; }
  void beginWaitCursor() override {}
  void restoreCursor() override {}
  void runModal(DialogPresenter&) override {}
  bool runPropertySheet(AttrSheet&) override { return false; }
  std::optional<std::string> openFileDialog(const OpenFileRequest&) override { return std::nullopt; }

 private:
  bool m_bVisible = true;
};

}  // namespace tavolin
