// quill_pane: shows one game log, a Shift_JIS HTML file, in a window of its
// own.  Usage: quill_pane <file> <title>
//
// Its windows carry the X11 window class "QuillpaneClass_9gdFZb", by which
// the client finds them all to close, minimise or move them together.
#include <QApplication>
#include <QByteArray>
#include <QKeySequence>
#include <QShortcut>
#include <QStringDecoder>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "log_view.h"
#include "base/code_page.h"
#include "base/server_url.h"

namespace {

constexpr char kWindowClass[] = "QuillpaneClass_9gdFZb";

// The client passes the title in UTF-8; a title in Shift_JIS (as an older
// caller would send it) is read as such rather than shown as mojibake.
QString decodeTitle(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString title = utf8(bytes);
  if (utf8.hasError()) {
    std::u16string wide = jinro::shiftJisToUtf16(std::string_view(bytes.constData(), bytes.size()));
    title = QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
  }
  // QWidget reads "[*]" in a window title as the modified-mark placeholder;
  // a doubled one stands for the literal text.
  title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
  return title;
}

}  // namespace

int main(int argc, char** argv) {
  const bool haveFile = argc >= 2;
  const QByteArray path = haveFile ? QByteArray(argv[1]) : QByteArray();
  const QByteArray titleBytes = argc >= 3 ? QByteArray(argv[2]) : QByteArray();

  // Without a display Qt would abort with a core dump; say so plainly.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    std::fprintf(stderr, "quill_pane: no display to show the log on (DISPLAY is not set)\n");
    return 1;
  }

  // The client that starts the viewer hands on the game server it uses;
  // relative links in the log lead there.
  if (const char* url = std::getenv(jinro::kServerUrlVariable); url && *url) {
    if (const jinro::Result<void> used = jinro::useServerBaseUrl(url); !used) {
      std::fprintf(stderr, "quill_pane: %s: %s\n", jinro::kServerUrlVariable, used.error().c_str());
    }
  }
  // Under Wayland the window goes through XWayland, where the client finds
  // the viewers by their X11 window class.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "xcb");
  }

  // Qt takes options such as -name, -display or -reverse out of its
  // arguments; the file and the title are ours, so Qt sees only argv[0].
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication app(qtArgc, qtArgv);
  // The X11 window class (WM_CLASS class part) is the application name, read
  // when the first window is created; the instance part stays argv[0]'s name.
  QCoreApplication::setApplicationName(QString::fromLatin1(kWindowClass));

  quill::LogView view;
  view.setWindowTitle(titleBytes.isEmpty() ? QStringLiteral("quill_pane") : decodeTitle(titleBytes));
  // Opened beside the game by the client: it must not take the focus.
  view.setAttribute(Qt::WA_ShowWithoutActivating);
  view.resize(640, 480);
  auto* closeKey = new QShortcut(QKeySequence(QKeySequence::Close), &view);
  QObject::connect(closeKey, &QShortcut::activated, &view, &QWidget::close);

  if (haveFile) {
    view.show();
    // The window appears first; a big log is laid out after.
    QTimer::singleShot(0, &view, [&view, &path] { view.showFile(path); });
  } else {
    view.showMessage(QStringLiteral("表示するファイルがありません"),
                     QStringLiteral("使い方: quill_pane <HTMLファイル> <ウィンドウのタイトル>"));
    view.show();
  }
  return app.exec();
}
