#pragma once
// The one widget of quill_pane: a text browser that shows a game log and
// hands its web links to the desktop's browser.
#include <QTextBrowser>
#include <QUrl>

namespace quill {

class LogView : public QTextBrowser {
 public:
  explicit LogView(QWidget* parent = nullptr);

  // Shows the Shift_JIS HTML file at path (bytes as given on the command
  // line), or a message saying why it can't be shown.
  void showFile(const QByteArray& path);
  void showMessage(const QString& headline, const QString& detail);

  // What a click on a link does: open it in the desktop's browser (true), go
  // to an anchor of this page, or nothing.
  bool followLink(const QUrl& url);

 private:
  void applyBodyColours(const QString& html);

 protected:
  // The log is shown as it is: nothing is fetched or read for it, neither
  // images nor style sheets (a page can name any local file or device).
  QVariant loadResource(int type, const QUrl& name) override;
};

}  // namespace quill
