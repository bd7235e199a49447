#include "log_view.h"

#include <QApplication>
#include <QColor>
#include <QDesktopServices>
#include <QFile>
#include <QImage>
#include <QPalette>
#include <QRegularExpression>
#include <QString>
#include <QTextDocument>

#include <cstring>
#include <string>

#include "html_nesting.h"
#include "log_file.h"
#include "base/code_page.h"
#include "base/server_url.h"

namespace quill {

LogView::LogView(QWidget* parent) : QTextBrowser(parent) {
  setOpenLinks(false);
  setOpenExternalLinks(false);
  connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { followLink(url); });
}

QVariant LogView::loadResource(int type, const QUrl&) {
  // An empty value, not an invalid one: with an invalid one the document
  // goes on to read the file itself.
  switch (type) {
    case QTextDocument::ImageResource:
      return QImage();
    case QTextDocument::StyleSheetResource:
      return QString();
    default:
      return QByteArray();
  }
}

bool LogView::followLink(const QUrl& url) {
  if (url.isRelative() && url.path().isEmpty() && url.hasFragment()) {
    scrollToAnchor(url.fragment());
    return false;
  }
  // The log's own links were made absolute before it was written; any left
  // relative belong to the game server too.
  QUrl target = url.isRelative() ? QUrl(QString::fromUtf8(jinro::serverBaseUrl())).resolved(url) : url;
  const QString scheme = target.scheme().toLower();
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return false;
  return QDesktopServices::openUrl(target);
}

namespace {

// A colour as an old page writes it: "#ffffff", "ffffff" or a name.
QColor pageColour(QString value) {
  value = value.trimmed();
  QColor c = QColor::fromString(value);
  if (!c.isValid() && value.size() == 6) c = QColor::fromString(QLatin1Char('#') + value);
  return c;
}

}  // namespace

void LogView::applyBodyColours(const QString& html) {
  // Qt's rich text takes the page's background from <body bgcolor> but not
  // its text and link colours (white on black is common in game pages):
  // they come from the palette, the links' from the application's.
  static const QRegularExpression body(QStringLiteral("<body\\b([^>]*)>"),
                                       QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression attribute(QStringLiteral("([a-z]+)\\s*=\\s*(\"[^\"]*\"|'[^']*'|[^\\s>]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch tag = body.match(html);
  if (!tag.hasMatch()) return;
  QPalette palette = QApplication::palette();
  bool changed = false;
  auto it = attribute.globalMatch(tag.captured(1));
  while (it.hasNext()) {
    const QRegularExpressionMatch a = it.next();
    QString value = a.captured(2);
    if (value.startsWith(QLatin1Char('"')) || value.startsWith(QLatin1Char('\''))) value = value.mid(1, value.size() - 2);
    const QColor colour = pageColour(value);
    if (!colour.isValid()) continue;
    const QString name = a.captured(1).toLower();
    if (name == QLatin1String("text")) {
      palette.setColor(QPalette::Text, colour);
      palette.setColor(QPalette::WindowText, colour);
    } else if (name == QLatin1String("link")) {
      palette.setColor(QPalette::Link, colour);
    } else if (name == QLatin1String("vlink")) {
      palette.setColor(QPalette::LinkVisited, colour);
    } else if (name == QLatin1String("bgcolor")) {
      palette.setColor(QPalette::Base, colour);
    } else {
      continue;
    }
    changed = true;
  }
  if (!changed) return;
  QApplication::setPalette(palette);
  setPalette(palette);
}

void LogView::showMessage(const QString& headline, const QString& detail) {
  setHtml(QStringLiteral("<h3>%1</h3><p>%2</p>").arg(headline.toHtmlEscaped(), detail.toHtmlEscaped()));
}

void LogView::showFile(const QByteArray& path) {
  const QString shownPath = QFile::decodeName(path);
  const std::string pathBytes = path.toStdString();
  LogFile file = pathBytes.empty() ? LogFile{LogProblem::missing, {}, 0, ENOENT} : readLogFile(pathBytes);
  const QString cannot = QStringLiteral("ログを表示できません");
  switch (file.problem) {
    case LogProblem::none:
      break;
    case LogProblem::missing:
      showMessage(cannot, QStringLiteral("ファイルがありません: %1").arg(shownPath));
      return;
    case LogProblem::notRegular:
      showMessage(cannot, QStringLiteral("普通のファイルではありません: %1").arg(shownPath));
      return;
    case LogProblem::unreadable:
      showMessage(cannot, QStringLiteral("ファイルを読めません (%1): %2")
                              .arg(QString::fromLocal8Bit(std::strerror(file.error)), shownPath));
      return;
    case LogProblem::tooLarge:
      showMessage(cannot, QStringLiteral("ファイルが大きすぎます (%1 バイト、表示できるのは %2 バイトまで): %3")
                              .arg(file.size)
                              .arg(static_cast<qulonglong>(kMaxLogBytes))
                              .arg(shownPath));
      return;
    case LogProblem::notText:
      showMessage(cannot, QStringLiteral("HTML のテキストではありません (ゼロのバイトを含みます): %1").arg(shownPath));
      return;
  }
  if (file.bytes.empty()) {
    showMessage(QStringLiteral("記録は空です"), shownPath);
    return;
  }
  const Nesting nesting = measureNesting(file.bytes);
  if (nesting.elements > kMaxNesting || nesting.tables > kMaxTableNesting) {
    showMessage(cannot, QStringLiteral("HTML の入れ子が深すぎます (要素 %1 段、表 %2 段): %3")
                            .arg(static_cast<qulonglong>(nesting.elements))
                            .arg(static_cast<qulonglong>(nesting.tables))
                            .arg(shownPath));
    return;
  }
  std::u16string text = jinro::shiftJisToUtf16(file.bytes);
  const QString html = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
  applyBodyColours(html);
  // A log is longer than the window: with the scroll bar there from the
  // start the page is laid out once, not again when the bar appears
  // (half the time of a big log).
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHtml(html);
}

}  // namespace quill
