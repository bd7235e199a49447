// jinro-client: the desktop client of the Werewolf game.
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include "app/composition.h"
#include "base/trace.h"
#include "client/client.h"
#include "ui/main_window.h"

namespace {

// True when the display is served by Xvfb on this machine, where WebEngine's
// GPU process gives a page that never reports its scroll position.
bool displayIsXvfb() {
  const QString display = qEnvironmentVariable("DISPLAY");
  const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^[^:]*:(\\d+)")).match(display);
  if (!m.hasMatch()) return false;
  QFile lock(QStringLiteral("/tmp/.X%1-lock").arg(m.captured(1)));
  if (!lock.open(QIODevice::ReadOnly)) return false;
  const QByteArray pid = lock.readAll().trimmed();
  QFile comm(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(pid)));
  if (pid.isEmpty() || !comm.open(QIODevice::ReadOnly)) return false;
  return comm.readAll().trimmed() == "Xvfb";
}

void prepareWebEngineEnvironment() {
  // The browser's sandbox cannot run as root.
  if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  if (displayIsXvfb()) {
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--disable-gpu")) {
      if (!flags.isEmpty()) flags += ' ';
      flags += "--disable-gpu";
      qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
  }
}

// SIGTERM, SIGINT and SIGHUP close the window as its close box does (the
// placement is saved, the viewers are closed). The browser's engine would
// otherwise take these signals for itself and never end the program.
int gSignalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(gSignalPipe[1], &byte, 1);
}

void closeOnTerminationSignals(QWidget& window) {
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
    char byte;
    [[maybe_unused]] const ssize_t n = read(gSignalPipe[0], &byte, 1);
    window.close();
  });
  struct sigaction action = {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  jinro::traceMark("process-start");
  // The icons are compiled into the static library of the shell.
  Q_INIT_RESOURCE(client);
  prepareWebEngineEnvironment();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  jinro::traceMark("application-ready");
  // The class part of WM_CLASS, by which the client's window is known.
  QApplication::setApplicationName(QString::fromLatin1(jinro::kMainWindowClass));
  QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
  QApplication::setQuitOnLastWindowClosed(true);

  jinro::ClientApplication client;
  if (!client.create()) return 1;
  closeOnTerminationSignals(client.window());
  client.start();
  return app.exec();
}
