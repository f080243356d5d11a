#include "frontend/qt/dialog_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>

#include "resource_ids.h"

namespace tavolin {

namespace {

Qt::WindowFlags flagsOf(layout::DialogKind kind) {
  switch (kind) {
    // A title bar without a system menu: nothing there closes or shrinks it.
    case layout::DialogKind::MainWindow:
      return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    case layout::DialogKind::Bare:
      return Qt::Dialog | Qt::FramelessWindowHint;
    case layout::DialogKind::Modal:
    case layout::DialogKind::Page:
      break;
  }
  return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

}  // namespace

DialogWindow::DialogWindow(const layout::DialogLayout& dialog, bool german, QWidget* parent)
    : QDialog(parent, flagsOf(dialog.kind)),
      m_eKind(dialog.kind),
      m_view(std::make_unique<QtDialogView>(*this, dialog, german)) {}

// The view goes first: it watches the widgets, which go with the dialog.
DialogWindow::~DialogWindow() { m_view.reset(); }

void DialogWindow::reject() { m_view->command(IDC_CANCEL, Notification::Clicked); }

// Closing a window that is minimised (from the taskbar) leaves it there:
// it is away already, and the Hide button would bring it back.
void DialogWindow::closeEvent(QCloseEvent* event) {
  if (m_eKind != layout::DialogKind::MainWindow) {
    QDialog::closeEvent(event);
    return;
  }
  event->ignore();
  if (isVisible() && !isMinimized()) m_view->command(IDC_MAIN_HIDE, Notification::Clicked);
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter || event->modifiers() != Qt::NoModifier) {
    QDialog::keyPressEvent(event);
    return;
  }
  // The focused button, else the default button, else the command OK.
  if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
    focused->click();
    return;
  }
  for (QPushButton* button : findChildren<QPushButton*>()) {
    if (button->isDefault() && button->isEnabled()) {
      button->click();
      return;
    }
  }
  m_view->command(IDC_OK, Notification::Clicked);
}

// The controls of a bare dialog are pictures and texts, which leave the
// click to the window.
void DialogWindow::mousePressEvent(QMouseEvent* event) {
  if (m_eKind == layout::DialogKind::Bare && event->button() == Qt::LeftButton) {
    event->accept();
    reject();
    return;
  }
  QDialog::mousePressEvent(event);
}

// A window without a title bar still has the raised frame of a dialog.
void DialogWindow::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (m_eKind != layout::DialogKind::Bare) return;
  QPainter painter(this);
  QStyleOptionFrame frame;
  frame.initFrom(this);
  frame.rect = rect();
  frame.lineWidth = 2;
  frame.state |= QStyle::State_Raised;
  style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
}

}  // namespace tavolin
