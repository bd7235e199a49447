#include "app/composition.h"

#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWebEngineView>
#include <chrono>
#include <cstdio>
#include <unistd.h>

#include "backends/qt/qt_adapters.h"
#include "backends/qt/qt_browser.h"
#include "backends/qt/qt_dbus_notifier.h"
#include "backends/qt/qt_file_writer.h"
#include "backends/qt/qt_japanese.h"
#include "backends/sdl/sdl_sound_device.h"
#include "backends/x11/x11_window_manager.h"
#include "backends/x11/x11_window_sweeper.h"
#include "base/code_page.h"
#include "base/trace.h"
#include "client/client.h"
#include "page/page_limits.h"
#include "settings/program_paths.h"
#include "ui/main_window.h"

namespace jinro {
namespace {

// The latest the sound is prepared when the first page is slow to load.
constexpr std::chrono::milliseconds kSoundPreparationLatest{5000};

}  // namespace

ClientApplication::ClientApplication() = default;

ClientApplication::~ClientApplication() {
  if (tableBuilder_.joinable()) tableBuilder_.join();
  // The browser's and the sound's callbacks reach the client: cut them first.
  if (browser_) browser_->connectEvents(nullptr);
  if (sound_) {
    sound_->setEndHandler({});
    sound_->setWakeup({});
  }
  if (timer_) timer_->setTickHandler({});
  // Every save asked for lands before the program ends; no answer comes back.
  writer_.reset();
  client_.reset();
  window_.reset();
}

bool ClientApplication::create() {
  window_ = std::make_unique<MainWindow>();
  if (!qt::WebEngineBrowser::available()) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ごめりんこ"), QStringLiteral("初期化に失敗"),
                    QMessageBox::Ok);
    box.exec();
    return false;
  }
  // One unit more than a page keeps: the client then sees where a page was cut.
  traceMark("window-created");
  browser_ = new qt::WebEngineBrowser(window_->centralWidget(), static_cast<qsizetype>(kPageTextLimit) + 1);
  window_->setBrowserView(browser_->view());
  qt::useJapanesePageActions(*browser_->view()->page());
  traceMark("browser-created");

  sound_ = std::make_unique<SdlSoundDevice>();
  sweeper_ = std::make_unique<X11WindowSweeper>();
  timer_ = std::make_unique<qt::QtRefreshTimer>();
  clipboard_ = std::make_unique<qt::QtClipboard>();
  launcher_ = std::make_unique<qt::QtProcessLauncher>();
  notifier_ = std::make_unique<qt::DBusNotifier>(QString::fromUtf8(kProgramName), QStringLiteral("jinro-client"),
                                                 window_->windowIcon());

  // A program run from its own folder keeps everything there; an installed
  // one keeps jinro.ini and tmp.html in the user's folders, made now. The
  // settings folder is also the working folder, so that bare file names
  // resolve where jinro.ini's relative sound paths are looked for first.
  const ProgramPaths& paths = programPaths();
  if (const Result<void> made = paths.createFolders(); !made) {
    // Not fatal: the first save tells the player that it cannot write.
    std::fprintf(stderr, "jinro-client: %s\n", made.error().c_str());
  }
  if (chdir(paths.settingsFolder.c_str()) != 0) {
    // Nothing better to do: relative names then resolve where we are.
  }
  writer_ = std::make_unique<qt::QtFileWriter>();
  const Desktop desktop{*window_,    *window_,   *window_,  *sound_,  *browser_, *timer_,
                        *clipboard_, *launcher_, *sweeper_, *window_, *writer_};
  client_ = std::make_unique<Client>(desktop, paths);
  client_->setNotifier(notifier_.get());
  window_->bind(*client_);
  browser_->connectEvents(client_.get());

  // The sound device's notices are handed over on this thread only.
  QPointer<ClientApplication> self(this);
  sound_->setWakeup([self] {
    if (!self) return;
    QMetaObject::invokeMethod(
        self.data(),
        [self] {
          if (self && self->sound_) self->sound_->pumpNotices();
        },
        Qt::QueuedConnection);
  });
  return true;
}

void ClientApplication::start() {
  // Every page is converted with a table that takes a moment to build: built
  // beside the start-up rather than on the first page.
  tableBuilder_ = std::thread(prepareUtf16ToShiftJis);
  // The sound libraries, the audio output, the soundfont and the alarms'
  // files (asked for by the client's start) are prepared once the first page
  // has been read: on a machine of few cores they would otherwise take CPU
  // from the browser's start and from reading the page back, and no alarm can
  // come before a game page. A first page that never loads holds them back
  // for a few seconds at most.
  auto prepareSound = [self = QPointer<ClientApplication>(this)] {
    if (self && self->sound_) self->sound_->prepare();  // a second call does nothing
  };
  QObject::connect(browser_, &qt::WebEngineBrowser::documentRead, this, prepareSound, Qt::SingleShotConnection);
  QTimer::singleShot(kSoundPreparationLatest, this, prepareSound);
  client_->start();
  traceMark("start-page-requested");
  window_->show();
  traceMark("window-shown");
  // An unwritable settings folder is told once the window is up, before the
  // player changes anything, rather than at the first save.
  window_->restorePlacement(windowManagerRunning(), [this] {
    QTimer::singleShot(0, this, [this] { client_->checkSettingsWritable(); });
  });
}

}  // namespace jinro
