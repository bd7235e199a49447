#include "backends/qt/qt_browser.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QMouseEvent>
#include <QMutexLocker>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "backends/qt/page_scripts.h"
#include "backends/qt/qt_text.h"
#include "backends/qt/speech_draft_value.h"
#include "base/trace.h"

namespace jinro::qt {

namespace {

QUrl urlFromUtf8(const std::string& url) { return QUrl(QString::fromStdString(url)); }

// How long after the last key the typing counts as paused.
constexpr int kTypingPauseMilliseconds = 3000;
// How long a script's answer is waited for.
constexpr int kScriptAnswerMilliseconds = 1000;

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
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view_, &QWidget::customContextMenuRequested, this, &WebEngineBrowser::showContextMenu);
  connect(page_, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
            if (status == QWebEnginePage::NormalTerminationStatus || !sink_) return;
            // Loaded again from the event loop, as the page finishes going.
            QTimer::singleShot(0, this, [this] {
              if (sink_) sink_->pageCrashed();
            });
          });
  // A refused or stopped navigation ends as aborted, an internal error; the
  // failures the player should hear of are the connection's.
  connect(page_, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
    if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus || !sink_) return;
    if (info.errorDomain() == QWebEngineLoadingInfo::NoErrorDomain ||
        info.errorDomain() == QWebEngineLoadingInfo::InternalErrorDomain)
      return;
    sink_->loadFailed();
  });
  typingPause_.setSingleShot(true);
  typingPause_.setInterval(kTypingPauseMilliseconds);
  connect(&typingPause_, &QTimer::timeout, this, [this] {
    if (sink_) sink_->typingChanged(false);
  });
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
  const QUrl target = urlFromUtf8(url);
  startOwnNavigation(target, [this, target] { page_->load(target); });
}

void WebEngineBrowser::navigateWithPost(const std::string& url, std::string_view body, std::string_view headers) {
  const QUrl target = urlFromUtf8(url);
  QWebEngineHttpRequest request(target, QWebEngineHttpRequest::Post);
  request.setPostData(QByteArray(body.data(), static_cast<qsizetype>(body.size())));
  QByteArray referer;
  // "Name: value" lines separated by LF.
  const QString text = QString::fromUtf8(headers.data(), static_cast<qsizetype>(headers.size()));
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

void WebEngineBrowser::showHtml(std::string_view html, std::string_view charset, const std::string& baseUrl) {
  const QByteArray bytes(html.data(), static_cast<qsizetype>(html.size()));
  const QString mimeType =
      QStringLiteral("text/html;charset=") + QString::fromLatin1(charset.data(), static_cast<qsizetype>(charset.size()));
  const QUrl base = urlFromUtf8(baseUrl);
  whenOutsideScreening([this, bytes, mimeType, base] {
    ownContentPending_ = true;
    page_->setContent(bytes, mimeType, base);
  });
}

ScrollPosition WebEngineBrowser::scrollPosition() {
  const QPointF p = page_->scrollPosition();
  return {static_cast<int>(p.x()), static_cast<int>(p.y())};
}

void WebEngineBrowser::scrollTo(int left, int top) {
  page_->runJavaScript(pageScriptCall(PageScript::ScrollTo, {QString::number(left), QString::number(top)}),
                       QWebEngineScript::ApplicationWorld);
}

void WebEngineBrowser::runScript(const QString& script, std::function<void(const QVariant&)> done) {
  // Whichever comes first answers: the script's result or the time limit.
  auto pending = std::make_shared<std::function<void(const QVariant&)>>(std::move(done));
  // Answers, like events, go only to a listener still connected: whoever
  // cut the events (the client going away) hears no late answer either.
  QPointer<WebEngineBrowser> self(this);
  auto answer = [pending, self](const QVariant& v) {
    if (!*pending || !self || !self->sink_) return;
    auto f = std::move(*pending);
    *pending = nullptr;
    f(v);
  };
  QTimer::singleShot(kScriptAnswerMilliseconds, this, [answer] { answer(QVariant()); });
  page_->runJavaScript(script, QWebEngineScript::ApplicationWorld, [answer](const QVariant& v) { answer(v); });
}

void WebEngineBrowser::readScrollPosition(std::function<void(std::optional<ScrollPosition>)> done) {
  runScript(pageScriptCall(PageScript::ScrollPosition), [done](const QVariant& result) {
    const QVariantList offsets = result.toList();
    if (offsets.size() != 2) return done(std::nullopt);
    done(ScrollPosition{offsets[0].toInt(), offsets[1].toInt()});
  });
}

void WebEngineBrowser::readSpeechDraft(std::function<void(std::optional<SpeechDraft>)> done) {
  runScript(pageScriptCall(PageScript::ReadSpeechDraft, {pageScript(PageScript::SpeechBox)}),
            [done](const QVariant& result) { done(speechDraftFromScript(result)); });
}

void WebEngineBrowser::restoreSpeechDraft(const SpeechDraft& draft, std::function<void(bool)> done) {
  const QStringList arguments = {pageScript(PageScript::SpeechBox), speechDraftLiteral(draft)};
  runScript(pageScriptCall(PageScript::RestoreSpeechDraft, arguments),
            [done](const QVariant& result) { done(result.toBool()); });
}

void WebEngineBrowser::noteKey(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // Modifiers alone and the menus' Alt keys are not typing.
    switch (key->key()) {
      case Qt::Key_Shift:
      case Qt::Key_Control:
      case Qt::Key_Alt:
      case Qt::Key_Meta:
      case Qt::Key_AltGr:
        return;
      default:
        break;
    }
    if (key->modifiers() & Qt::AltModifier) return;
  }
  const bool wasTyping = typingPause_.isActive();
  typingPause_.start();
  if (!wasTyping && sink_) sink_->typingChanged(true);
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
  page_->runJavaScript(pageScriptCall(PageScript::ReadRootHtml, {QString::number(htmlLimit_)}),
                       QWebEngineScript::ApplicationWorld,
                       [self, generation, url](const QVariant& result) {
                         // The page may have been left while its HTML was read.
                         if (!self || !self->sink_ || self->generation_ != generation) return;
                         traceMark("html-received");
                         const QString html = result.toString();
                         self->sink_->documentComplete(toUtf16(url.toString()), toUtf16(html));
                         if (self) emit self->documentRead();
                       });
}

void WebEngineBrowser::quoteRowAt(QPointF position) {
  const qreal zoom = view_->zoomFactor() > 0 ? view_->zoomFactor() : 1.0;
  const QStringList at = {QString::number(position.x() / zoom), QString::number(position.y() / zoom)};
  QPointer<WebEngineBrowser> self(this);
  page_->runJavaScript(pageScriptCall(PageScript::RowAt, at), QWebEngineScript::ApplicationWorld,
                       [self](const QVariant& row) {
                         if (!self || !self->sink_ || row.typeId() != QMetaType::QString) return;
                         self->sink_->speechRowClicked(toUtf16(row.toString()));
                       });
}

void WebEngineBrowser::showContextMenu(const QPoint& position) {
  QMenu* menu = view_->createStandardContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->addSeparator();
  QAction* quote = menu->addAction(QStringLiteral("メモに引用"));
  quote->setObjectName(QStringLiteral("quote_speech"));
  connect(quote, &QAction::triggered, this, [this, position] { quoteRowAt(position); });
  menu->popup(view_->mapToGlobal(position));
}

bool WebEngineBrowser::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && sink_ && view_ && watched == view_->focusProxy() &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    sink_->pageClicked();
    // Ctrl+click quotes the speech under the pointer into the notes.
    const auto* click = static_cast<QMouseEvent*>(event);
    if (click->modifiers() & Qt::ControlModifier) quoteRowAt(click->position());
  }
  if ((event->type() == QEvent::KeyPress || event->type() == QEvent::InputMethod) && view_ &&
      watched == view_->focusProxy()) {
    noteKey(event);
  }
  return false;
}

}  // namespace jinro::qt
