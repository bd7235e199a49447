#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEvent>
#include <QFile>
#include <QIcon>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWindow>
#include <QElapsedTimer>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "app/command_handler.h"
#include "app/save_failure_notice.h"
#include "app/startup.h"
#include "settings/settings.h"
#include "browser/browser_events.h"
#include "platform/qt/qt_adapters.h"
#include "platform/qt/qt_browser.h"
#include "platform/qt/qt_text.h"
#include "platform/sdl/sdl_sound_device.h"
#include "platform/x11/x11_window_sweeper.h"
#include "ui/settings_dialogs.h"

namespace jinro {

namespace {

// The window's first title, until the first analysed page: 「Moonvale」Thornfield
constexpr char kInitialTitle[] = "\x81uMoonvale\x81vThornfield";
// The tooltip of the automatic refresh button:
// 発言や行動を入力・送信する時は、自動更新を手動で切ってください。
constexpr char kAutoRefreshTip[] =
    "\x94\xAD\x8C\xBE\x82\xE2\x8Ds\x93\xAE\x82\xF0\x93\xFC\x97\xCD\x81" "E\x91\x97\x90M\x82\xB7\x82\xE9\x8E\x9E"
    "\x82\xCD\x81" "A\x8E\xA9\x93\xAE\x8DX\x90V\x82\xF0\x8E\xE8\x93\xAE\x82\xC5\x90\xD8\x82\xC1\x82\xC4\x82\xAD"
    "\x82\xBE\x82\xB3\x82\xA2\x81" "B";
constexpr char kVersion[] = "1.0.0";
// ﾊﾞｰｼﾞｮﾝ情報
constexpr char kVersionCaption[] = "\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1";

QString sj(const char* text) { return qt::fromShiftJis(text); }

// True when a window manager that follows the desktop conventions runs on
// the display: then windows get frames, and only then are they iconified.
bool windowManagerRunning() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  bool running = false;
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check != None) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success) {
      running = type == XA_WINDOW && count == 1;
      if (data) XFree(data);
    }
  }
  XCloseDisplay(display);
  return running;
}

}  // namespace

MainWindow::MainWindow() {
  setWindowTitle(sj(kInitialTitle));
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) icon.addFile(QStringLiteral(":/icons/app_%1.png").arg(size));
  setWindowIcon(icon);
  setPalette(QPalette(Qt::white));

  controller_ = std::make_unique<ClientController>();
  handler_ = std::make_unique<CommandHandler>(*controller_);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  band_ = new QWidget(central);
  band_->setFixedHeight(kToolbarBand);
  layout->addWidget(band_);
  setCentralWidget(central);

  buildMenus();
  buildToolbar();
  resize(640, 480);
}

MainWindow::~MainWindow() {
  if (browser_) browser_->connectEvents(nullptr);
  if (sound_) sound_->setNoticeHandler({});
  controller_->ports = Ports{};
}

QAction* MainWindow::addCommand(QMenu* menu, const QString& text, int id) {
  QAction* action = menu->addAction(text);
  action->setData(id);
  connect(action, &QAction::triggered, this, [this, id] { dispatchCommand(id); });
  menuActions_[id] = action;
  return action;
}

void MainWindow::buildMenus() {
  QMenuBar* bar = menuBar();
  QMenu* file = bar->addMenu(sj("\xCC\xA7\xB2\xD9(&F)"));  // ﾌｧｲﾙ(&F)
  addCommand(file, sj("\x8E\xE8\x93\xAE\x8DX\x90V(&H)"), IDM_MANUAL_REFRESH);  // 手動更新(&H)
  addCommand(file, sj("\x8E\xA9\x93\xAE\x8DX\x90V(&A)"), IDM_AUTO_REFRESH);    // 自動更新(&A)
  file->addSeparator();
  addCommand(file, sj("\x8FI\x97\xB9(&Q)"), IDM_EXIT);  // 終了(&Q)

  QMenu* sound = bar->addMenu(sj("\x89\xB9\x90\xBA(&S)"));  // 音声(&S)
  addCommand(sound, QStringLiteral("ON"), IDM_SOUND_ON);
  addCommand(sound, QStringLiteral("OFF"), IDM_SOUND_OFF);

  QMenu* settings = bar->addMenu(sj("\x90\xDD\x92\xE8(&C)"));  // 設定(&C)
  addCommand(settings, sj("\x91S\x94\xCA\x82\xCC\x90\xDD\x92\xE8(&G)"), IDM_GENERAL_SETTINGS);  // 全般の設定(&G)
  addCommand(settings, sj("\x89\xB9\x90\xBA\x82\xCC\x90\xDD\x92\xE8(&S)"), IDM_SOUND_SETTINGS);  // 音声の設定(&S)

  QMenu* window = bar->addMenu(sj("\xB3\xA8\xDD\xC4\xDE\xB3(&W)"));  // ｳｨﾝﾄﾞｳ(&W)
  // 全ｳｨﾝﾄﾞｳを最小化(&L)
  addCommand(window, sj("\x91S\xB3\xA8\xDD\xC4\xDE\xB3\x82\xF0\x8D\xC5\x8F\xAC\x89\xBB(&L)"), IDM_MINIMIZE_ALL);
  // 全ﾛｸﾞｳｨﾝﾄﾞｳを閉じる(&C)
  addCommand(window, sj("\x91S\xDB\xB8\xDE\xB3\xA8\xDD\xC4\xDE\xB3\x82\xF0\x95\xC2\x82\xB6\x82\xE9(&C)"),
             IDM_CLOSE_ALL_LOG_WINDOWS);
  // The desktop's window menu is the window manager's; its command lives here.
  // 全ｳｨﾝﾄﾞｳを左上へ移動(&T)
  addCommand(window, sj("\x91S\xB3\xA8\xDD\xC4\xDE\xB3\x82\xF0\x8D\xB6\x8F\xE3\x82\xD6\x88\xDA\x93\xAE(&T)"),
             IDM_SYS_MOVE_ALL_TOP_LEFT);

  QMenu* help = bar->addMenu(sj("\xCD\xD9\xCC\xDF(&H)"));  // ﾍﾙﾌﾟ(&H)
  addCommand(help, sj("Readme\x82\xF0\x8AJ\x82\xAD(&R)"), IDM_OPEN_README);        // Readmeを開く(&R)
  addCommand(help, sj("\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1(&V)"), IDM_VERSION);  // ﾊﾞｰｼﾞｮﾝ情報(&V)
}

void MainWindow::buildToolbar() {
  auto* layout = new QHBoxLayout(band_);
  layout->setContentsMargins(0, 2, 0, 2);
  layout->setSpacing(0);
  toolbar_ = new QToolBar(band_);
  toolbar_->setObjectName(QStringLiteral("toolbar_50006"));
  toolbar_->setMovable(false);
  toolbar_->setFloatable(false);
  toolbar_->setIconSize(QSize(16, 15));
  toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  toolbar_->setStyleSheet(QStringLiteral("QToolBar { border: none; spacing: 0px; }"));
  layout->addWidget(toolbar_);
  layout->addStretch(1);

  // Separators are blank gaps of 8 pixels: six, the button, one, the button,
  // then two before each of the others.
  auto gap = [this](int separators) {
    auto* spacer = new QWidget(toolbar_);
    spacer->setFixedWidth(8 * separators);
    toolbar_->addWidget(spacer);
  };
  struct Button {
    int id;
    const char* icon;
    int separatorsBefore;
  };
  const Button buttons[] = {{ID_TB_MANUAL_REFRESH, "manual_refresh", 6},
                            {ID_TB_AUTO_REFRESH, "auto_refresh", 1},
                            {ID_TB_RETURN_TOP, "return_top", 2},
                            {ID_TB_REVERSE, "reverse", 2},
                            {ID_TB_COPY_SPEECH, "copy_speech", 2}};
  for (const Button& b : buttons) {
    gap(b.separatorsBefore);
    QAction* action = toolbar_->addAction(QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(b.icon))), QString());
    action->setData(b.id);
    action->setToolTip(QString());
    action->setObjectName(QStringLiteral("button_%1").arg(b.id));
    const int id = b.id;
    connect(action, &QAction::triggered, this, [this, id] { dispatchCommand(id); });
    toolbarActions_[b.id] = action;
  }
  toolbarActions_[ID_TB_AUTO_REFRESH]->setToolTip(sj(kAutoRefreshTip));
  // Pressed states are the dispatcher's to set.
  for (int id : {ID_TB_AUTO_REFRESH, ID_TB_REVERSE}) toolbarActions_[id]->setCheckable(true);
}

QAction* MainWindow::commandAction(int id) const {
  if (auto it = toolbarActions_.find(id); it != toolbarActions_.end()) return it->second;
  if (auto it = menuActions_.find(id); it != menuActions_.end()) return it->second;
  return nullptr;
}

QWebEngineView* MainWindow::browserView() const { return browser_ ? browser_->view() : nullptr; }

void MainWindow::dispatchCommand(int id) {
  // A checkable item toggled itself already; the dispatcher sets its state.
  handler_->sendMessage(WM_COMMAND, static_cast<uintptr_t>(id), 0);
}

bool MainWindow::createBrowser() {
  if (!qt::WebEngineBrowser::available()) return false;
  browser_ = new qt::WebEngineBrowser(centralWidget());
  static_cast<QVBoxLayout*>(centralWidget()->layout())->addWidget(browser_->view(), 1);
  return true;
}

void MainWindow::startClient() {
  timer_ = new qt::QtRefreshTimer(this);
  timer_->setTarget(handler_.get());
  clipboard_ = std::make_unique<qt::QtClipboard>();
  launcher_ = std::make_unique<qt::QtProcessLauncher>();
  sweeper_ = std::make_unique<X11WindowSweeper>();
  sound_ = std::make_unique<SdlSoundDevice>();
  sound_->setNoticeHandler([this](uint32_t code, uint32_t id) {
    handler_->sendMessage(MM_MCINOTIFY, code, static_cast<intptr_t>(id));
  });
  QPointer<MainWindow> self(this);
  sound_->setWakeup([self] {
    if (self) QMetaObject::invokeMethod(self.data(), "pumpSoundNotices", Qt::QueuedConnection);
  });

  Ports ports;
  ports.mainWindow = handler_.get();
  ports.shell = this;
  ports.sound = sound_.get();
  ports.browser = browser_;
  ports.timer = timer_;
  ports.clipboard = clipboard_.get();
  ports.launcher = launcher_.get();
  ports.sweeper = sweeper_.get();
  controller_->ports = ports;

  initialiseShellStates(*controller_);
  sink_ = std::make_unique<BrowserEventSink>(*controller_);
  browser_->connectEvents(sink_.get());
  startController(*controller_, true);
}

void MainWindow::restorePlacement() {
  // The saved rectangle is the frame's: wait until the window manager has
  // put its frame around the window, so that its size is known.
  if (windowManagerRunning()) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 1000 && frameGeometry() == geometry()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
  }
  const uint32_t startShowCmd = isMaximized() ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
  restoreWindowPlacement(*controller_, startShowCmd);
  // Tell an unwritable settings folder now, before the player changes
  // anything, rather than at the first save; once the window is up.
  QTimer::singleShot(0, this, [this] { checkSettingsWritable(*controller_, settingsFilePath()); });
}

void MainWindow::pumpSoundNotices() {
  if (sound_) sound_->pumpNotices();
}

void MainWindow::setCaption(std::string_view shiftJisTitle) { setWindowTitle(qt::fromShiftJis(shiftJisTitle)); }

void MainWindow::setToolbarButtonState(int buttonId, int state) {
  auto it = toolbarActions_.find(buttonId);
  if (it == toolbarActions_.end()) return;
  QAction* action = it->second;
  action->setEnabled(state != TBSTATE_DISABLED);
  if (action->isCheckable()) action->setChecked(state == TBSTATE_CHECKED_ENABLED);
}

void MainWindow::checkMenuItem(int itemId, bool checked) {
  auto it = menuActions_.find(itemId);
  if (it == menuActions_.end()) return;
  it->second->setCheckable(true);
  it->second->setChecked(checked);
}

void MainWindow::showMessageBox(std::string_view text, std::string_view caption, MessageIcon icon) {
  QMessageBox box(this);
  box.setWindowTitle(qt::displayText(caption));
  box.setText(qt::displayText(text));
  box.setIcon(icon == MessageIcon::information ? QMessageBox::Information
              : icon == MessageIcon::error     ? QMessageBox::Critical
                                               : QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

void MainWindow::minimize() {
  wasMaximizedBeforeMinimize_ = isMaximized();
  showMinimized();
  // Only a window manager iconifies. Where none did, the window is still on
  // the screen and must not be taken (or saved) as minimised.
  QPointer<MainWindow> self(this);
  QTimer::singleShot(700, this, [self] {
    if (self && self->isMinimized() && self->windowHandle() && self->windowHandle()->isExposed()) {
      self->setWindowState(self->windowState() & ~Qt::WindowMinimized);
    }
  });
}

void MainWindow::moveToTopLeft() {
  if (isMinimized() || isMaximized()) showNormal();
  move(0, 0);  // the frame's corner
  show();
  raise();
}

void MainWindow::requestClose() { close(); }

void MainWindow::runGeneralSettingsDialog() { ::runGeneralSettingsDialog(*controller_, this); }

void MainWindow::runSoundSettingsSheet() { ::runSoundSettingsSheet(*controller_, this); }

void MainWindow::showVersionBox() {
  QMessageBox::about(this, sj(kVersionCaption),
                     QStringLiteral("jinro-client %1\n\n"
                                    "A desktop client for the web-based Werewolf game.\n"
                                    "Built on Qt %2 and SDL2_mixer.")
                         .arg(QLatin1String(kVersion), QString::fromLatin1(qVersion())));
}

QRect MainWindow::frameMargins() const {
  // left, top, right, bottom widths of the window manager's frame, in a QRect's fields.
  const QRect frame = frameGeometry();
  const QRect client = geometry();
  return QRect(QPoint(client.left() - frame.left(), client.top() - frame.top()),
               QPoint(frame.right() - client.right(), frame.bottom() - client.bottom()));
}

WindowPlacement MainWindow::placement() {
  WindowPlacement p = lastPlacement_;
  p.length = 44;
  const Qt::WindowStates states = windowState();
  p.flags &= ~WPF_RESTORETOMAXIMIZED;
  if (states & Qt::WindowMinimized) {
    p.showCmd = SW_SHOWMINIMIZED;
    if ((states & Qt::WindowMaximized) || wasMaximizedBeforeMinimize_) p.flags |= WPF_RESTORETOMAXIMIZED;
  } else if (states & Qt::WindowMaximized) {
    p.showCmd = SW_SHOWMAXIMIZED;
  } else {
    p.showCmd = SW_SHOWNORMAL;
  }
  // The normal rectangle is the frame's rectangle on screen (a maximised
  // frame may lose its borders: the normal state's widths count).
  noteNormalFrame();
  const QRect m = normalMargins_;
  QRect normal = (states & (Qt::WindowMinimized | Qt::WindowMaximized)) ? normalGeometry() : geometry();
  if (!normal.isValid()) normal = geometry();
  p.rcNormalLeft = normal.left() - m.left();
  p.rcNormalTop = normal.top() - m.top();
  p.rcNormalRight = normal.left() + normal.width() + m.right();
  p.rcNormalBottom = normal.top() + normal.height() + m.bottom();
  return p;
}

void MainWindow::applyPlacement(const WindowPlacement& p) {
  lastPlacement_ = p;
  const QRect m = frameMargins();
  const int width = std::max(1, p.rcNormalRight - p.rcNormalLeft - m.left() - m.right());
  const int height = std::max(1, p.rcNormalBottom - p.rcNormalTop - m.top() - m.bottom());
  if (isMaximized() || isMinimized()) showNormal();
  move(p.rcNormalLeft, p.rcNormalTop);
  resize(width, height);
  switch (p.showCmd) {
    case SW_SHOWMAXIMIZED:
      showMaximized();
      break;
    case SW_SHOWMINIMIZED:
      wasMaximizedBeforeMinimize_ = (p.flags & WPF_RESTORETOMAXIMIZED) != 0;
      if (wasMaximizedBeforeMinimize_) setWindowState(Qt::WindowMinimized | Qt::WindowMaximized);
      else showMinimized();
      break;
    default:
      showNormal();
      break;
  }
}

void MainWindow::openWithDesktop(const std::string& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path))));
}

void MainWindow::noteNormalFrame() {
  if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) && isVisible()) {
    normalMargins_ = frameMargins();
  }
}

void MainWindow::moveEvent(QMoveEvent* event) {
  noteNormalFrame();
  QMainWindow::moveEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  noteNormalFrame();
  QMainWindow::resizeEvent(event);
}

void MainWindow::showStatusText(std::string_view shiftJisText) {
  // A status line only while there is something to say (a silent alarm).
  if (shiftJisText.empty()) {
    if (QStatusBar* bar = findChild<QStatusBar*>()) bar->hide();
    return;
  }
  statusBar()->show();
  statusBar()->showMessage(qt::fromShiftJis(shiftJisText));
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && !isMinimized()) wasMaximizedBeforeMinimize_ = isMaximized();
  QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    closing_ = true;
    handler_->sendMessage(WM_CLOSE, 0, 0);
    if (browser_) browser_->connectEvents(nullptr);
  }
  event->accept();
}

}  // namespace jinro
