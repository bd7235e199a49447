// The floor under the client: a bare QWebEngineView, shown, loading one URL.
// It prints the wall-clock and monotonic times (CLOCK_REALTIME and
// CLOCK_MONOTONIC, ns) at which the load finished, so that a script can set
// them against the time it started the program, as bench/measure_client.sh
// does for the client.
//   jinro_webengine_floor URL            quits once the page has loaded
//   jinro_webengine_floor --stay URL     stays open (for a script to read its
//                                        memory) until it is killed
//   jinro_webengine_floor --size WxH ... the view's size (default 900x700):
//                                        the client's window's, so that both
//                                        paint as much
//   jinro_webengine_floor --reload-every MS [--post BODY] URL
//                                        stays open and loads the page again
//                                        MS milliseconds after each load,
//                                        printing "reloaded N" (bench/soak.sh's
//                                        floor); with --post, every load posts
//                                        BODY (a game page, as a refresh does)
#include <QApplication>
#include <QTimer>
#include <QUrl>
#include <QWebEngineHttpRequest>
#include <QWebEngineView>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

// With JINRO_TRACE=1, the same stage lines as the client's trace, so that
// bench/measure_client.sh can set the two starts side by side.
void mark(const char* stage) {
  static const bool on = qgetenv("JINRO_TRACE") == "1";
  if (!on) return;
  timespec mono{};
  clock_gettime(CLOCK_MONOTONIC, &mono);
  std::fprintf(stderr, "jinro-trace %s %lld\n", stage, mono.tv_sec * 1000000000LL + mono.tv_nsec);
}

}  // namespace

int main(int argc, char** argv) {
  mark("process-start");
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  mark("application-ready");
  bool stay = false;
  int reloadMs = 0;
  const char* post = nullptr;
  int width = 900, height = 700;
  int i = 1;
  for (; i < argc - 1; ++i) {
    if (std::strcmp(argv[i], "--stay") == 0) {
      stay = true;
    } else if (std::strcmp(argv[i], "--reload-every") == 0 && i + 2 < argc) {
      reloadMs = std::atoi(argv[++i]);
      stay = true;
    } else if (std::strcmp(argv[i], "--post") == 0 && i + 2 < argc) {
      post = argv[++i];
    } else if (std::strcmp(argv[i], "--size") == 0 && i + 2 < argc &&
               std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2 && width > 0 && height > 0) {
      ++i;
    } else {
      break;
    }
  }
  if (i != argc - 1) {
    std::fprintf(stderr, "usage: %s [--size WxH] [--stay | --reload-every MS [--post BODY]] URL\n", argv[0]);
    return 2;
  }
  QWebEngineHttpRequest request(QUrl(QString::fromLocal8Bit(argv[i])));
  if (post) {
    request.setMethod(QWebEngineHttpRequest::Post);
    request.setHeader("Content-Type", "application/x-www-form-urlencoded");
    request.setPostData(QByteArray(post));
  }
  QWebEngineView view;
  mark("browser-created");
  long loads = 0;
  QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool ok) {
    if (++loads == 1) {
      mark("load-finished");
      timespec now{}, mono{};
      clock_gettime(CLOCK_REALTIME, &now);
      clock_gettime(CLOCK_MONOTONIC, &mono);
      std::printf("%s %lld %lld\n", ok ? "loaded" : "failed", now.tv_sec * 1000000000LL + now.tv_nsec,
                  mono.tv_sec * 1000000000LL + mono.tv_nsec);
      // As the client shows the title of a page it has read: for a script
      // that watches both captions alike.
      view.setWindowTitle(view.title());
    } else {
      std::printf("reloaded %ld\n", loads - 1);
    }
    std::fflush(stdout);
    if (!stay) QCoreApplication::quit();
    if (reloadMs > 0) QTimer::singleShot(reloadMs, &view, [&view, &request] { view.load(request); });
  });
  view.resize(width, height);
  view.load(request);
  mark("start-page-requested");
  view.show();
  mark("window-shown");
  return app.exec();
}
