#include "backends/qt/qt_dbus_notifier.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QImage>
#include <QVariantMap>

namespace jinro::qt {

namespace {

constexpr int kIconSize = 48;
constexpr int kExpireDefault = -1;  // as long as the desktop keeps its notifications

// The "image-data" hint, (iiibiiay): width, height, row stride, alpha, bits
// per sample, channels and the RGBA bytes.
QVariant imageData(const QIcon& icon) {
  const QImage image =
      icon.pixmap(kIconSize, kIconSize).toImage().convertToFormat(QImage::Format_RGBA8888);
  if (image.isNull()) return {};
  QDBusArgument argument;
  argument.beginStructure();
  argument << image.width() << image.height() << static_cast<int>(image.bytesPerLine()) << true << 8 << 4
           << QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
  argument.endStructure();
  return QVariant::fromValue(argument);
}

}  // namespace

DBusNotifier::DBusNotifier(const QString& appName, const QString& iconName, const QIcon& icon)
    : appName_(appName), iconName_(iconName), icon_(icon) {}

void DBusNotifier::notify(const DesktopNotification& n) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;  // no session bus (a bare X server): nothing to tell
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("urgency"), QVariant::fromValue(static_cast<uchar>(1)));  // normal
  if (const QVariant image = imageData(icon_); image.isValid()) hints.insert(QStringLiteral("image-data"), image);
  call << appName_ << 0u << iconName_ << QString::fromStdString(n.summary) << QString::fromStdString(n.body)
       << QStringList() << hints << kExpireDefault;
  // Not waited for: the alarm goes on whether the service answers or not,
  // and an absent service's error reply is of no use to the player.
  bus.send(call);
}

}  // namespace jinro::qt
