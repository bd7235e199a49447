#include "backends/qt/page_scripts.h"

#include <QFile>
#include <QtGlobal>
#include <array>

// The resource is compiled into this static library, and nothing refers to
// it by name but this: without the call the linker would leave it out.
// Q_INIT_RESOURCE must not be used inside a namespace.
static void initPageScriptsResource() { Q_INIT_RESOURCE(page_scripts); }

namespace jinro::qt {

namespace {

constexpr std::array kPaths = {
    ":/page_scripts/read_root_html.js",      ":/page_scripts/speech_box.js",
    ":/page_scripts/read_speech_draft.js",   ":/page_scripts/restore_speech_draft.js",
    ":/page_scripts/scroll_to.js",           ":/page_scripts/row_at.js",
    ":/page_scripts/scroll_position.js",
};
static_assert(kPaths.size() == static_cast<size_t>(PageScript::ScrollPosition) + 1);

QString load(const char* path) {
  QFile file(QString::fromLatin1(path));
  // A build without its scripts could read no page at all: better said at once.
  if (!file.open(QIODevice::ReadOnly)) qFatal("The page script %s is missing from the resources", path);
  // The file may end in a comment: the closing parenthesis goes on a line of its own.
  return QLatin1Char('(') + QString::fromUtf8(file.readAll()) + QStringLiteral("\n)");
}

std::array<QString, kPaths.size()> loadAll() {
  initPageScriptsResource();
  std::array<QString, kPaths.size()> scripts;
  for (size_t i = 0; i < kPaths.size(); ++i) scripts[i] = load(kPaths[i]);
  return scripts;
}

}  // namespace

const QString& pageScript(PageScript which) {
  static const std::array<QString, kPaths.size()> scripts = loadAll();
  return scripts[static_cast<size_t>(which)];
}

QString pageScriptCall(PageScript which, const QStringList& arguments) {
  return pageScript(which) + QLatin1Char('(') + arguments.join(QLatin1Char(',')) + QLatin1Char(')');
}

}  // namespace jinro::qt
