#pragma once

#include <QDialog>
#include <memory>

#include "dialog_layout.h"
#include "frontend/qt/qt_dialog_view.h"

namespace tavolin {

// A top-level window of the program, made from its description: the main
// window or a modal dialog, with its view. As in a dialog of Windows,
// Escape and a close request are the command Cancel (IDC_CANCEL); Enter
// clicks the focused button, else the default button, and is else the
// command OK (IDC_OK). The presenter (and for a modal dialog its host)
// decides what the commands do.
//
// The main window lives in the tray: the window manager's close (its
// button in the title bar, Alt+F4) puts it away as its Hide button does,
// and ends nothing. A dialog without a title bar (the about box) has no
// button either: a click anywhere on it is its Cancel, as Escape is.
class DialogWindow : public QDialog {
 public:
  DialogWindow(const layout::DialogLayout& dialog, bool german, QWidget* parent);
  ~DialogWindow() override;

  QtDialogView& view() { return *m_view; }

  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  const layout::DialogKind m_eKind;
  std::unique_ptr<QtDialogView> m_view;
};

}  // namespace tavolin
