#include "frontend/win32/dialog_window.h"

#include "dialog_layout.h"

namespace tavolin {

namespace {

bool isBare(std::int32_t templateId) {
  const layout::DialogLayout* dialog = layout::findDialogLayout(templateId);
  return dialog && dialog->kind == layout::DialogKind::Bare;
}

}  // namespace

DialogWindow::DialogWindow(DialogPresenter& presenter, Trace& trace)
    : m_presenter(presenter), m_trace(trace), m_bBare(isBare(presenter.templateId())) {}

DialogWindow::~DialogWindow() {
  if (m_hWnd && IsWindow(m_hWnd)) SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
}

INT_PTR CALLBACK DialogWindow::procedure(HWND window, UINT messageId, WPARAM wParam, LPARAM lParam) {
  if (messageId == WM_INITDIALOG) {
    auto* self = reinterpret_cast<DialogWindow*>(lParam);
    self->bind(window);
    return self->initDialog();
  }
  auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!self) return FALSE;
  if (messageId == WM_NCDESTROY) {
    SetWindowLongPtrA(window, DWLP_USER, 0);
    self->m_hWnd = nullptr;
    return FALSE;
  }
  return self->message(messageId, wParam, lParam);
}

void DialogWindow::runModal(DialogPresenter& presenter, HWND owner, Trace& trace) {
  DialogWindow window(presenter, trace);
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(presenter.templateId()), owner, procedure,
                  reinterpret_cast<LPARAM>(&window));
}

std::optional<Notification> DialogWindow::notification(WORD code) {
  switch (code) {
    case BN_CLICKED:
      return Notification::Clicked;
    case CBN_SELCHANGE:
      return Notification::SelectionChange;
    case EN_CHANGE:
      return Notification::EditChange;
    case EN_KILLFOCUS:
      return Notification::KillFocus;
    default:
      return std::nullopt;
  }
}

void DialogWindow::bind(HWND window) {
  m_hWnd = window;
  SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
  m_pView = std::make_unique<Win32View>(window, m_trace);
}

INT_PTR DialogWindow::initDialog() {
  m_presenter.attach(*m_pView);
  return m_presenter.OnInitDialog() ? TRUE : FALSE;
}

INT_PTR DialogWindow::message(UINT messageId, WPARAM wParam, LPARAM) {
  switch (messageId) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const std::optional<Notification> what = notification(HIWORD(wParam));
      if (what && m_presenter.attached()) m_presenter.onCommand(id, *what);
      if ((id == IDOK || id == IDCANCEL) && what == Notification::Clicked) endCommand(id);
      return TRUE;
    }
    // A dialog without a title bar (the about box) has no button either;
    // its statics leave a click to it. A click anywhere is its Cancel, as
    // Escape is.
    case WM_LBUTTONDOWN:
      if (!m_bBare) return FALSE;
      SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return TRUE;
    case WM_DESTROY:
      m_pView->windowDestroyed();
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace tavolin
