// notification-server: a stand-in for the desktop's notification service on
// the session bus (org.freedesktop.Notifications), for the end-to-end tests.
//   notification-server LOG
// Owns the name, answers every call as a real service would, and appends
// one line per Notify to LOG:
//   app<TAB>icon<TAB>summary<TAB>body<TAB>WxH (the image-data hint; "-" for none)
// Prints "ready" once the name is owned; exits 1 when it cannot be.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <cstdio>

class Service : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  explicit Service(const QString& logPath) : log_(logPath) {}

 public slots:
  uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary, const QString& body,
              const QStringList& actions, const QVariantMap& hints, int timeout) {
    Q_UNUSED(replaces);
    Q_UNUSED(actions);
    Q_UNUSED(timeout);
    QString image = QStringLiteral("-");
    if (hints.contains(QStringLiteral("image-data"))) {
      const QDBusArgument argument = hints.value(QStringLiteral("image-data")).value<QDBusArgument>();
      int width = 0, height = 0, stride = 0, bits = 0, channels = 0;
      bool alpha = false;
      QByteArray data;
      argument.beginStructure();
      argument >> width >> height >> stride >> alpha >> bits >> channels >> data;
      argument.endStructure();
      // A picture is counted only when its bytes fill its rows.
      if (data.size() >= qsizetype(stride) * height && width > 0) image = QStringLiteral("%1x%2").arg(width).arg(height);
    }
    if (log_.open(QIODevice::Append)) {
      log_.write(QStringList{app, icon, summary, body, image}.join(QLatin1Char('\t')).toUtf8() + '\n');
      log_.close();
    }
    return ++lastId_;
  }
  QStringList GetCapabilities() { return {QStringLiteral("body")}; }
  void CloseNotification(uint) {}
  QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
    vendor = QStringLiteral("jinro-e2e");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("notification-server");
  }

 private:
  QFile log_;
  uint lastId_ = 0;
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: notification-server LOG\n");
    return 2;
  }
  Service service(QString::fromLocal8Bit(argv[1]));
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() ||
      !bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service, QDBusConnection::ExportAllSlots) ||
      !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
    std::fprintf(stderr, "notification-server: cannot own org.freedesktop.Notifications on the session bus\n");
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  return app.exec();
}

#include "notification_server.moc"
