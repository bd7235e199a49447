// The floor under the client's start: a bare QWebEngineView, shown, loading
// one URL. It prints the wall-clock time (CLOCK_REALTIME, ns) at which the
// load finished and quits, so that a script can set it against the time it
// started the program, as bench/measure_client.sh does for the client.
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>
#include <cstdio>
#include <ctime>
#include <unistd.h>

int main(int argc, char** argv) {
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s URL\n", argv[0]);
    return 2;
  }
  QWebEngineView view;
  QObject::connect(&view, &QWebEngineView::loadFinished, [](bool ok) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::printf("%s %lld\n", ok ? "loaded" : "failed", now.tv_sec * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
    QCoreApplication::quit();
  });
  view.resize(900, 700);
  view.load(QUrl(QString::fromLocal8Bit(argv[1])));
  view.show();
  return app.exec();
}
