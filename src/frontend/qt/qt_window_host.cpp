#include "frontend/qt/qt_window_host.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMenu>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "frontend/qt/dialog_units.h"
#include "frontend/qt/dialog_window.h"
#include "frontend/qt/qt_images.h"
#include "frontend/qt/qt_text.h"
#include "resource_ids.h"
#include "tray_menu.h"
#include "ui/attr_sheet.h"
#include "ui/sheet_driver.h"

namespace tavolin {

namespace {

constexpr char kNoTrayNotice[] =
    "Tavolin: the desktop has no notification area (system tray), so the window is minimised instead of hidden.\n";

struct TrayMenuItem {
  std::int32_t command;
  const char* english;
  const char* german;
};

constexpr TrayMenuItem kTrayMenu[] = {
    {ID_TRAY_SHOW, TRAY_MENU_SHOW_EN, TRAY_MENU_SHOW_DE},
    {ID_TRAY_HELP, TRAY_MENU_HELP_EN, TRAY_MENU_HELP_DE},
    {ID_TRAY_ABOUT, TRAY_MENU_ABOUT_EN, TRAY_MENU_ABOUT_DE},
};

// Qt puts the icon up as a StatusNotifierItem over D-Bus where a
// StatusNotifierWatcher runs on the session bus (KDE, GNOME with its
// extension for tray icons), and on every window system but X11; on X11
// without a watcher it docks into the XEmbed tray.
bool trayIsStatusNotifierItem() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return true;
  const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  return bus && bus->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value();
}

QDialogButtonBox::StandardButton standardButton(SheetButton button) {
  switch (button) {
    case SheetButton::Ok:
      return QDialogButtonBox::Ok;
    case SheetButton::Cancel:
      return QDialogButtonBox::Cancel;
    case SheetButton::Apply:
      return QDialogButtonBox::Apply;
    case SheetButton::Help:
      return QDialogButtonBox::Help;
  }
  return QDialogButtonBox::NoButton;
}

// A filter of the open-file dialog: Windows' "*.*" is every file, which
// Qt writes "*".
QString fileFilter(const char* name, const char* pattern) {
  QString shown = toQt(name);
  if (const int open = shown.indexOf(QStringLiteral(" (")); open >= 0) shown.truncate(open);
  const QString qtPattern = QString::fromLatin1(pattern) == QStringLiteral("*.*") ? QStringLiteral("*") : toQt(pattern);
  return shown + QStringLiteral(" (") + qtPattern + QLatin1Char(')');
}

}  // namespace

QtWindowHost::QtWindowHost(Trace& trace, bool germanBuild) : m_trace(trace), m_bGerman(germanBuild) {}

QtWindowHost::~QtWindowHost() = default;

std::int32_t QtWindowHost::run() {
  if (!m_bEnded) QApplication::exec();
  return m_iResult;
}

void QtWindowHost::post(std::function<void()> task) {
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

std::uint32_t QtWindowHost::setTimer(std::uint32_t id, std::uint32_t periodMs) {
  killTimer(id);
  auto timer = std::make_unique<QTimer>();
  timer->setInterval(static_cast<int>(periodMs));
  connect(timer.get(), &QTimer::timeout, this, [this, id] {
    if (m_onTimer) m_onTimer(id);
  });
  timer->start();
  m_timers[id] = std::move(timer);
  return id;
}

// The tick that stops its own timer is still running: the timer goes
// once it is over.
void QtWindowHost::killTimer(std::uint32_t id) {
  const auto found = m_timers.find(id);
  if (found == m_timers.end()) return;
  found->second->stop();
  found->second.release()->deleteLater();
  m_timers.erase(found);
}

bool QtWindowHost::trayShown() const {
  return m_pTray && m_pTray->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void QtWindowHost::showWindow(bool show) {
  NullWindowHost::showWindow(show);
  if (!m_pMainWindow) return;
  if (show) {
    m_pMainWindow->showNormal();
  } else if (!m_pMainWindow->isVisible()) {
    // Not shown (yet): as on Windows, hiding it changes nothing. The hide
    // timer can tick inside a message box of the window's start-up; the
    // window shows once its start-up is over, its texts and states set.
  } else if (trayShown()) {
    m_pMainWindow->hide();
  } else {
    if (!m_bMinimiseNoticeGiven) {
      m_bMinimiseNoticeGiven = true;
      std::fputs(kNoTrayNotice, stderr);
      std::fflush(stderr);
      m_trace("%s", kNoTrayNotice);
    }
    m_pMainWindow->showMinimized();
  }
}

bool QtWindowHost::isWindowVisible() {
  if (!m_pMainWindow) return NullWindowHost::isWindowVisible();
  return m_pMainWindow->isVisible() && !m_pMainWindow->isMinimized();
}

void QtWindowHost::setForegroundWindow() {
  if (!m_pMainWindow) return;
  m_pMainWindow->raise();
  m_pMainWindow->activateWindow();
}

// The icon is put up even where no notification area is there yet (a
// session that starts its panel after the program): it appears when one
// does.
bool QtWindowHost::addTrayIcon(std::int32_t /*iconId*/, const std::string& tip) {
  m_bActivationIsDoubleClick = trayIsStatusNotifierItem();
  m_pTray = std::make_unique<QSystemTrayIcon>(programIcon());
  m_pTray->setToolTip(toQt(tip));
  connect(m_pTray.get(), &QSystemTrayIcon::activated, this, &QtWindowHost::trayActivated);
  m_pTray->show();
  return QSystemTrayIcon::isSystemTrayAvailable();
}

bool QtWindowHost::removeTrayIcon() {
  if (!m_pTray) return false;
  m_pTray->hide();
  m_pTray.reset();
  return true;
}

void QtWindowHost::trayActivated(QSystemTrayIcon::ActivationReason reason) {
  if (!m_onTray) return;
  const bool doubleClick = reason == QSystemTrayIcon::DoubleClick ||
                           (reason == QSystemTrayIcon::Trigger && m_bActivationIsDoubleClick);
  if (doubleClick) m_onTray(TrayActivation::DoubleClick);
  if (reason == QSystemTrayIcon::Context) m_onTray(TrayActivation::ContextMenu);
}

MenuChoice QtWindowHost::trackPopupMenu(std::int32_t menuId) {
  if (menuId != IDR_TRAY_MENU) return {MenuChoice::Outcome::MenuMissing, 0};
  QMenu menu;
  for (const TrayMenuItem& item : kTrayMenu) {
    menu.addAction(toQt(m_bGerman ? item.german : item.english))->setData(item.command);
  }
  menu.setDefaultAction(menu.actions().first());
  m_pShownMenu = &menu;
  const QAction* chosen = menu.exec(QCursor::pos());
  m_pShownMenu = nullptr;
  return {MenuChoice::Outcome::Chosen, chosen ? chosen->data().toInt() : 0};
}

void QtWindowHost::beginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void QtWindowHost::restoreCursor() {
  if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

// As a dialog of Windows ends on its OK and Cancel commands once the
// presenter has seen them.
void QtWindowHost::runModal(DialogPresenter& dialog) {
  const layout::DialogLayout* description = layout::findDialogLayout(dialog.templateId());
  if (!description) return;
  DialogWindow window(*description, m_bGerman, m_pMainWindow);
  window.view().setCommandSink([&dialog, &window](std::int32_t id, Notification notification) {
    dialog.onCommand(id, notification);
    if (notification == Notification::Clicked && (id == IDC_OK || id == IDC_CANCEL)) window.done(id);
  });
  dialog.attach(window.view());
  dialog.OnInitDialog();
  window.exec();
}

// The pages in tabs, each made and initialised the first time its tab is
// shown, and activated every time; the sheet's buttons below them.
bool QtWindowHost::runPropertySheet(AttrSheet& sheet) {
  QDialog dialog(m_pMainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  dialog.setWindowTitle(toQt(sheet.caption()));
  auto* tabs = new QTabWidget(&dialog);
  auto* buttons = new QDialogButtonBox(&dialog);
  for (SheetButton button : sheet.buttons()) buttons->addButton(standardButton(button));
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* column = new QVBoxLayout(&dialog);
  column->setSizeConstraint(QLayout::SetFixedSize);
  column->addWidget(tabs);
  column->addWidget(buttons);

  // The views watch their widgets, which go with the dialog: they go first.
  std::vector<std::unique_ptr<QtDialogView>> views;
  for (PropertyPage* page : sheet.pages()) {
    const layout::DialogLayout* description = layout::findDialogLayout(page->templateId());
    if (!description) return false;
    auto* pageWidget = new QWidget;
    views.push_back(std::make_unique<QtDialogView>(*pageWidget, *description, m_bGerman));
    views.back()->setCommandSink([page](std::int32_t id, Notification notification) {
      if (page->attached()) page->onCommand(id, notification);
    });
    tabs->addTab(pageWidget, pageWidget->windowTitle());
    if (views.size() == 1) dialog.setFont(dialogFont(*description));
  }
  if (views.empty()) return false;
  SheetDriver driver(sheet);
  driver.show(0, *views.front());
  connect(tabs, &QTabWidget::currentChanged, &dialog, [&driver, &views](int index) {
    if (index >= 0) driver.show(static_cast<std::size_t>(index), *views[static_cast<std::size_t>(index)]);
  });
  const bool ok = dialog.exec() == QDialog::Accepted;
  views.clear();
  return ok;
}

std::optional<std::string> QtWindowHost::openFileDialog(const OpenFileRequest& request) {
  QFileDialog dialog(QApplication::activeModalWidget());
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  QStringList filters;
  for (std::size_t i = 0; i < 2; ++i) {
    if (request.filterNames[i] && request.filterPatterns[i]) {
      filters << fileFilter(request.filterNames[i], request.filterPatterns[i]);
    }
  }
  dialog.setNameFilters(filters);
  if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());
  if (request.defaultExtension) dialog.setDefaultSuffix(toQt(request.defaultExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return fromQt(dialog.selectedFiles().first());
}

void QtWindowHost::endDialog(std::int32_t result) {
  m_bEnded = true;
  m_iResult = result;
  QCoreApplication::exit(result);
}

// At once, as Windows' ExitProcess: no destructors, no waiting for the
// reading thread. The trace and the data log are on disk after every line.
void QtWindowHost::exitProcess(std::int32_t code) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(code);
}

}  // namespace tavolin
