#pragma once
// Desktop notifications through the freedesktop notification service
// (org.freedesktop.Notifications on the session bus). Without a session bus
// or without the service, nothing is shown and nothing is reported.
#include <QIcon>
#include <QString>

#include "platform/notifier.h"

namespace jinro::qt {

class DBusNotifier : public Notifier {
 public:
  // appName: the program's name as the desktop lists it (UTF-8); icon: the
  // picture sent with each notification, for desktops that do not know the
  // installed icon named iconName.
  DBusNotifier(const QString& appName, const QString& iconName, const QIcon& icon);
  void notify(const DesktopNotification& notification) override;

 private:
  QString appName_;
  QString iconName_;
  QIcon icon_;
};

}  // namespace jinro::qt
