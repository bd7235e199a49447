#include "log_view.h"

#include <QDesktopServices>
#include <QFile>
#include <QImage>
#include <QTextDocument>
#include <QString>

#include <cstring>
#include <string>

#include "jinro/server_base_url.h"
#include "html_nesting.h"
#include "log_file.h"
#include "platform/code_page.h"

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
  QUrl target = url.isRelative() ? QUrl(QString::fromUtf8(jinro::kServerBaseUrl)).resolved(url) : url;
  const QString scheme = target.scheme().toLower();
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return false;
  return QDesktopServices::openUrl(target);
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
  setHtml(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace quill
