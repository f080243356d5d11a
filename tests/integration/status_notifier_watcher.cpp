// A notification area that speaks D-Bus, as KDE's and GNOME's extension
// for tray icons do, for the tests: it owns the StatusNotifierWatcher name
// on the session bus, says that a host shows the items, and prints
// "registered SERVICE" for each item that registers. What a user does to
// an item (Activate, ContextMenu) the tests send to that service.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QObject>
#include <cstdio>

class StatusNotifierWatcher : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)

 public:
  bool hostRegistered() const { return true; }

 public slots:
  void RegisterStatusNotifierItem(const QString& service) {
    std::printf("registered %s\n", service.toUtf8().constData());
    std::fflush(stdout);
  }
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QDBusConnection bus = QDBusConnection::sessionBus();
  StatusNotifierWatcher watcher;
  if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                          QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) ||
      !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
    std::fprintf(stderr, "status_notifier_watcher: %s\n", bus.lastError().message().toUtf8().constData());
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  return app.exec();
}

#include "status_notifier_watcher.moc"
