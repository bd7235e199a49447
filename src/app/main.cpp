// jinro-client: the desktop client of the Werewolf game.
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <malloc.h>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "app/command_line.h"
#include "app/composition.h"
#include "backends/qt/qt_japanese.h"
#include "base/server_url.h"
#include "base/trace.h"
#include "client/client.h"
#include "ui/main_window.h"

namespace {

// The project's version, given by the build.
constexpr char kVersion[] = JINRO_VERSION;

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

// In a Wayland session the window goes through XWayland, where the sweeps
// find the log viewers by their X11 window class; a platform the player
// names in QT_QPA_PLATFORM is left alone.
void preferX11() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "xcb");
  }
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
  // One malloc arena for all the threads, set before any thread starts.
  // With glibc's default (up to eight per core) the memory the browser's
  // in-process threads free stays in their arenas: at a 1-second refresh
  // the client's private memory grew by 115 MiB in 8 minutes, with one
  // arena by 12 MiB in 3 (bench/README.md, "A long game").
  mallopt(M_ARENA_MAX, 1);
  jinro::traceMark("process-start");
  if (const std::optional<int> status = jinro::applyCommandLine(argc, argv, kVersion)) return *status;
  // The log viewers this client starts link to the same game server.
  setenv(jinro::kServerUrlVariable, std::string(jinro::serverBaseUrl()).c_str(), 1);
  preferX11();
  // The icons are compiled into the static library of the shell.
  Q_INIT_RESOURCE(client);
  prepareWebEngineEnvironment();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // The options are ours (read above); Qt sees only the program's name.
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  jinro::traceMark("application-ready");
  // The class part of WM_CLASS, by which the client's window is known.
  QApplication::setApplicationName(QString::fromLatin1(jinro::kMainWindowClass));
  QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
  QApplication::setQuitOnLastWindowClosed(true);
  // Qt's own texts (file chooser, message boxes, edit menus) in Japanese.
  jinro::qt::installJapaneseTranslations(app);

  jinro::ClientApplication client;
  if (!client.create()) return 1;
  closeOnTerminationSignals(client.window());
  client.start();
  return app.exec();
}
