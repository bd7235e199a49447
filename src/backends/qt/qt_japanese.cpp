#include "backends/qt/qt_japanese.h"

#include <QAction>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWebEnginePage>
#include <utility>

namespace jinro::qt {

int installJapaneseTranslations(QCoreApplication& application) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  int loaded = 0;
  for (const char* catalogue : {"qtbase", "qtwebengine"}) {
    auto* translator = new QTranslator(&application);
    if (translator->load(japanese, QString::fromLatin1(catalogue), QStringLiteral("_"), folder) &&
        QCoreApplication::installTranslator(translator)) {
      ++loaded;
    } else {
      delete translator;
    }
  }
  return loaded;
}

void useJapanesePageActions(QWebEnginePage& page) {
  using A = QWebEnginePage::WebAction;
  static const std::pair<A, const char*> kTexts[] = {
      {A::Back, "戻る"},
      {A::Forward, "進む"},
      {A::Stop, "中止"},
      {A::Reload, "再読み込み"},
      {A::ReloadAndBypassCache, "キャッシュを使わずに再読み込み"},
      {A::Cut, "切り取り"},
      {A::Copy, "コピー"},
      {A::Paste, "貼り付け"},
      {A::PasteAndMatchStyle, "書式なしで貼り付け"},
      {A::Undo, "元に戻す"},
      {A::Redo, "やり直し"},
      {A::SelectAll, "すべて選択"},
      {A::Unselect, "選択を解除"},
      {A::OpenLinkInThisWindow, "リンクをこのウィンドウで開く"},
      {A::OpenLinkInNewWindow, "リンクを新しいウィンドウで開く"},
      {A::OpenLinkInNewTab, "リンクを新しいタブで開く"},
      {A::OpenLinkInNewBackgroundTab, "リンクを裏のタブで開く"},
      {A::CopyLinkToClipboard, "リンクのアドレスをコピー"},
      {A::DownloadLinkToDisk, "リンク先を保存"},
      {A::CopyImageToClipboard, "画像をコピー"},
      {A::CopyImageUrlToClipboard, "画像のアドレスをコピー"},
      {A::DownloadImageToDisk, "画像を保存"},
      {A::CopyMediaUrlToClipboard, "メディアのアドレスをコピー"},
      {A::DownloadMediaToDisk, "メディアを保存"},
      {A::ToggleMediaControls, "コントロールを表示"},
      {A::ToggleMediaLoop, "ループ再生"},
      {A::ToggleMediaPlayPause, "再生/一時停止"},
      {A::ToggleMediaMute, "ミュート"},
      {A::SavePage, "ページを保存"},
      {A::ViewSource, "ページのソースを表示"},
      {A::InspectElement, "要素を調査"},
      {A::ExitFullScreen, "全画面表示を終了"},
  };
  for (const auto& [action, text] : kTexts) {
    if (QAction* a = page.action(action)) a->setText(QString::fromUtf8(text));
  }
}

}  // namespace jinro::qt
