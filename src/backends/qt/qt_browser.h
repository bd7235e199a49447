#pragma once
// The embedded browser on Qt WebEngine. It carries out the client's
// navigations and reports the page's events to BrowserEvents:
//  - every navigation of the page and of its frames is screened before it
//    starts (acceptNavigationRequest);
//  - a document that loaded completely is read back (the root element's
//    outer HTML, asynchronously) and reported unless another page started
//    loading meanwhile;
//  - a page shown from memory (showHtml) is not screened, but completes;
//  - new windows open outside, in the desktop's browser;
//  - a left button press on the page is reported, and so are the start and
//    the pause of the player's typing in it;
//  - a top-level load that fails for want of a connection is reported;
//  - the speech form (the form around the TXTMSG box) is read and filled in
//    by scripts run in the client's own script world (page_scripts.h).
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QPoint>
#include <QPointF>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/browser.h"

class QWidget;

namespace jinro::qt {

// Puts the Referer of the client's own form posts on the request itself:
// WebEngine drops a Referer given as an extra header.
class RefererInterceptor : public QWebEngineUrlRequestInterceptor {
 public:
  void expect(const QUrl& url, const QByteArray& referer);
  void interceptRequest(QWebEngineUrlRequestInfo& info) override;

 private:
  QMutex mutex_;
  QUrl url_;
  QByteArray referer_;
  bool pending_ = false;
};

class WebEngineBrowser;

class ScreeningPage : public QWebEnginePage {
  Q_OBJECT
 public:
  ScreeningPage(WebEngineBrowser& owner, QObject* parent);

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  QWebEnginePage* createWindow(WebWindowType type) override;

 private:
  WebEngineBrowser& owner_;
};

class WebEngineBrowser : public QObject, public Browser {
  Q_OBJECT
 public:
  // Completed documents are reported with at most htmlLimit UTF-16 units of
  // their HTML.
  WebEngineBrowser(QWidget* parent, qsizetype htmlLimit);
  ~WebEngineBrowser() override;

  // False when the browser's helper process is missing: nothing can be shown.
  static bool available();

  QWebEngineView* view() const { return view_; }
  // Events go here from now on; nullptr ends them, and the answers to
  // readSpeechDraft and restoreSpeechDraft still due with them.
  void connectEvents(BrowserEvents* sink) { sink_ = sink; }

  void navigate(const std::string& url) override;
  void navigateWithPost(const std::string& url, std::string_view body, std::string_view headers) override;
  void stop() override;
  void showHtml(std::string_view html, std::string_view charset, const std::string& baseUrl) override;
  ScrollPosition scrollPosition() override;
  void scrollTo(int left, int top) override;
  void readScrollPosition(std::function<void(std::optional<ScrollPosition>)> done) override;
  void readSpeechDraft(std::function<void(std::optional<SpeechDraft>)> done) override;
  void restoreSpeechDraft(const SpeechDraft& draft, std::function<void(bool restored)> done) override;

  // Counts of what happened, for the diagnostics line of the test builds.
  uint64_t generation() const { return generation_; }

 signals:
  // A completed document's HTML has been handed to the client.
  void documentRead();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class ScreeningPage;
  bool screen(const QUrl& url, bool isMainFrame);
  void openOutside(const QUrl& url);
  void onLoadStarted();
  void onLoadFinished(bool ok);
  void noteKey(QEvent* event);
  // The table row at this point of the view, handed to the client to quote.
  void quoteRowAt(QPointF position);
  // The page's own menu, and "メモに引用".
  void showContextMenu(const QPoint& position);
  // Runs script in the page; its result goes to `done`, or an invalid value
  // when none came within a second (the page went away, say).
  void runScript(const QString& script, std::function<void(const QVariant&)> done);
  // Runs f now, or after the screening under way when called from inside it:
  // WebEngine must not start a navigation from its own navigation callback.
  template <typename F>
  void whenOutsideScreening(F f);
  // The client's own navigations are screened when they are asked for, before
  // anything else can happen (a timer tick, say), as the desktop's browser
  // control did; WebEngine's later request for the same navigation then
  // passes without a second screening.
  void startOwnNavigation(const QUrl& target, std::function<void()> load);

  // The window owns the view and the view its page; either may be gone
  // before this object is (the window's widgets go in their own order).
  QPointer<QWebEngineView> view_;
  QPointer<ScreeningPage> page_;
  RefererInterceptor interceptor_;
  BrowserEvents* sink_ = nullptr;
  qsizetype htmlLimit_;
  uint64_t generation_ = 0;  // one per page load started
  int screeningDepth_ = 0;
  bool ownContentPending_ = false;
  QUrl prescreened_;  // the own navigation screened already, until WebEngine asks for it
  bool prescreenedPending_ = false;
  QTimer typingPause_;  // runs from the last key press until the typing counts as paused
};

}  // namespace jinro::qt
