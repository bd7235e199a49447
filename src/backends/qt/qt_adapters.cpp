#include "backends/qt/qt_adapters.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <limits>

#include "backends/qt/qt_text.h"

namespace jinro::qt {

QtRefreshTimer::QtRefreshTimer(QObject* parent) : QObject(parent) {
  // A coarse timer may fire up to 5% early: the game server would see a
  // refresh before the interval the player set. A precise one never fires early.
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (tick_) tick_();
  });
}

void QtRefreshTimer::start(uint64_t intervalMilliseconds) {
  // An interval of 0 written by hand into jinro.ini would refresh without a
  // pause and flood the game server: at least one second, at most what an
  // int holds.
  const uint64_t ms = std::clamp<uint64_t>(intervalMilliseconds, 1000, std::numeric_limits<int>::max());
  timer_.stop();
  timer_.start(static_cast<int>(ms));
}

void QtRefreshTimer::stop() { timer_.stop(); }

bool QtClipboard::clear() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->clear(QClipboard::Clipboard);
  return true;
}

bool QtClipboard::setText(std::string_view utf8Text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  // Lines as the desktop's text has them: LF, not CRLF.
  QString text = QString::fromUtf8(utf8Text.data(), static_cast<qsizetype>(utf8Text.size()));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  clipboard->setText(text, QClipboard::Clipboard);
  return true;
}

int64_t QtProcessLauncher::startDetached(const std::string& program, const std::vector<std::string>& arguments) {
  // The program's path and the arguments are handed on byte for byte, as the
  // file system and the started program spell them.
  QStringList args;
  for (const auto& a : arguments) args << QFile::decodeName(QByteArray::fromStdString(a));
  qint64 pid = 0;
  const bool ok = QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(program)), args, QString(), &pid);
  return ok ? pid : 0;
}

}  // namespace jinro::qt
