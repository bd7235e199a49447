#include "backends/qt/qt_browser.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMouseEvent>
#include <QMutexLocker>
#include <QPointer>
#include <QTimer>
#include <QWebEngineHttpRequest>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "backends/qt/qt_text.h"
#include "base/trace.h"

namespace jinro::qt {

namespace {

QUrl urlFromShiftJis(const std::string& url) { return QUrl(fromShiftJis(url)); }

// The root element's outer HTML when the root is the HTML element, else "";
// no longer than %1 UTF-16 units, so that a huge page is not carried over
// whole when only its beginning is read.
constexpr char kReadRootScript[] =
    "(function(){var e=document.documentElement;"
    "return (e&&e.tagName==='HTML')?e.outerHTML.substring(0,%1):'';})()";
// A page that exists only to learn where a new window wanted to go: the first
// navigation it is asked for is handed on and the page goes away.
class NewWindowCatcher : public QWebEnginePage {
 public:
  NewWindowCatcher(WebEngineBrowser& owner, std::function<void(const QUrl&)> open)
      : QWebEnginePage(&owner), open_(std::move(open)) {
    // A window that never navigates is dropped after a while.
    QTimer::singleShot(30000, this, [this] { deleteLater(); });
  }

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
    if (isMainFrame && !done_) {
      done_ = true;
      if (!url.isEmpty() && url.scheme() != QLatin1String("about")) open_(url);
      deleteLater();
    }
    return false;
  }

 private:
  std::function<void(const QUrl&)> open_;
  bool done_ = false;
};

}  // namespace

void RefererInterceptor::expect(const QUrl& url, const QByteArray& referer) {
  QMutexLocker lock(&mutex_);
  url_ = url;
  referer_ = referer;
  pending_ = true;
}

void RefererInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
  QMutexLocker lock(&mutex_);
  if (!pending_ || info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame) return;
  pending_ = false;
  if (info.requestUrl().adjusted(QUrl::RemoveFragment) == url_.adjusted(QUrl::RemoveFragment)) {
    info.setHttpHeader("Referer", referer_);
  }
}

ScreeningPage::ScreeningPage(WebEngineBrowser& owner, QObject* parent) : QWebEnginePage(parent), owner_(owner) {}

bool ScreeningPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
  return owner_.screen(url, isMainFrame);
}

// A page's new window opens outside the client, in the desktop's browser.
QWebEnginePage* ScreeningPage::createWindow(WebWindowType) {
  QPointer<WebEngineBrowser> owner(&owner_);
  return new NewWindowCatcher(owner_, [owner](const QUrl& url) {
    if (owner) owner->openOutside(url);
  });
}

WebEngineBrowser::WebEngineBrowser(QWidget* parent, qsizetype htmlLimit) : QObject(parent), htmlLimit_(htmlLimit) {
  view_ = new QWebEngineView(parent);
  page_ = new ScreeningPage(*this, view_);
  page_->setUrlRequestInterceptor(&interceptor_);
  view_->setPage(page_);
  connect(page_, &QWebEnginePage::loadStarted, this, &WebEngineBrowser::onLoadStarted);
  connect(page_, &QWebEnginePage::loadFinished, this, &WebEngineBrowser::onLoadFinished);
  qApp->installEventFilter(this);
}

WebEngineBrowser::~WebEngineBrowser() {
  sink_ = nullptr;
  qApp->removeEventFilter(this);
  if (page_) page_->setUrlRequestInterceptor(nullptr);
}

bool WebEngineBrowser::available() {
  QString helper = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
  if (helper.isEmpty()) {
    helper = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + QStringLiteral("/QtWebEngineProcess");
  }
  const QFileInfo info(helper);
  return info.isFile() && info.isExecutable();
}

template <typename F>
void WebEngineBrowser::whenOutsideScreening(F f) {
  if (screeningDepth_ > 0) {
    QTimer::singleShot(0, this, f);
  } else {
    f();
  }
}

void WebEngineBrowser::startOwnNavigation(const QUrl& target, std::function<void()> load) {
  whenOutsideScreening([this, target, load] {
    if (sink_) {
      ++screeningDepth_;
      const bool refused = sink_->refuseNavigation(toUtf16(target.toString()));
      --screeningDepth_;
      if (refused) return;
    }
    prescreened_ = target;
    prescreenedPending_ = true;
    load();
  });
}

void WebEngineBrowser::navigate(const std::string& url) {
  const QUrl target = urlFromShiftJis(url);
  startOwnNavigation(target, [this, target] { page_->load(target); });
}

void WebEngineBrowser::navigateWithPost(const std::string& url, std::string_view body, std::string_view headers) {
  const QUrl target = urlFromShiftJis(url);
  QWebEngineHttpRequest request(target, QWebEngineHttpRequest::Post);
  request.setPostData(QByteArray(body.data(), static_cast<qsizetype>(body.size())));
  QByteArray referer;
  // "Name: value" lines separated by LF.
  const QString text = fromShiftJis(headers);
  for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon <= 0) continue;
    const QByteArray name = line.left(colon).trimmed().toLatin1();
    const QByteArray value = line.mid(colon + 1).trimmed().toUtf8();
    if (name.compare("Referer", Qt::CaseInsensitive) == 0) referer = value;
    request.setHeader(name, value);
  }
  startOwnNavigation(target, [this, request, target, referer] {
    if (!referer.isEmpty()) interceptor_.expect(target, referer);
    page_->load(request);
  });
}

void WebEngineBrowser::stop() {
  // Inside the screening the refusal itself stops the navigation.
  if (screeningDepth_ == 0) page_->triggerAction(QWebEnginePage::Stop);
}

void WebEngineBrowser::showHtml(std::string_view shiftJisHtml, const std::string& baseUrl) {
  const QByteArray bytes(shiftJisHtml.data(), static_cast<qsizetype>(shiftJisHtml.size()));
  const QUrl base = urlFromShiftJis(baseUrl);
  whenOutsideScreening([this, bytes, base] {
    ownContentPending_ = true;
    page_->setContent(bytes, QStringLiteral("text/html;charset=Shift_JIS"), base);
  });
}

ScrollPosition WebEngineBrowser::scrollPosition() {
  const QPointF p = page_->scrollPosition();
  return {static_cast<int>(p.x()), static_cast<int>(p.y())};
}

void WebEngineBrowser::scrollTo(int left, int top) {
  page_->runJavaScript(QStringLiteral("window.scrollTo(%1,%2);").arg(left).arg(top),
                       QWebEngineScript::ApplicationWorld);
}

bool WebEngineBrowser::screen(const QUrl& url, bool isMainFrame) {
  // The page shown from memory is the client's own doing, not the game's.
  if (ownContentPending_ && isMainFrame && url.scheme() == QLatin1String("data")) {
    ownContentPending_ = false;
    return true;
  }
  if (!sink_) return true;
  if (isMainFrame && prescreenedPending_) {
    prescreenedPending_ = false;
    if (url.adjusted(QUrl::RemoveFragment) == prescreened_.adjusted(QUrl::RemoveFragment)) return true;
  }
  ++screeningDepth_;
  const bool refused = sink_->refuseNavigation(toUtf16(url.toString()));
  --screeningDepth_;
  return !refused;
}

void WebEngineBrowser::openOutside(const QUrl& url) { QDesktopServices::openUrl(url); }

void WebEngineBrowser::onLoadStarted() { ++generation_; }

void WebEngineBrowser::onLoadFinished(bool ok) {
  // A refused or failed load is not a completed document.
  if (!ok || !sink_) return;
  traceMark("load-finished");
  const uint64_t generation = generation_;
  const QUrl url = page_->url();
  QPointer<WebEngineBrowser> self(this);
  page_->runJavaScript(QString::fromLatin1(kReadRootScript).arg(htmlLimit_), QWebEngineScript::ApplicationWorld,
                       [self, generation, url](const QVariant& result) {
                         // The page may have been left while its HTML was read.
                         if (!self || !self->sink_ || self->generation_ != generation) return;
                         traceMark("html-received");
                         const QString html = result.toString();
                         self->sink_->documentComplete(toUtf16(url.toString()), toUtf16(html));
                       });
}

bool WebEngineBrowser::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && sink_ && view_ && watched == view_->focusProxy() &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    sink_->pageClicked();
  }
  return false;
}

}  // namespace jinro::qt
