#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <memory>

#include "backends/qt/qt_text.h"
#include "base/trace.h"
#include "client/client.h"
#include "ui/archive_dialog.h"
#include "ui/elided_line.h"
#include "ui/notes_pane_widget.h"
#include "ui/settings_dialogs.h"
#include "ui/status_fields.h"

namespace jinro {

namespace {

// How long the log viewers are given to close their windows before the
// program ends.
constexpr int kViewerCloseMilliseconds = 250;
// How long the saved placement waits for the window manager's frame.
constexpr int kFrameWaitMilliseconds = 1000;

// The toolbar's buttons, each named by what it does: the name is its icon's
// and its object name.
struct ToolbarButton {
  Command command;
  const char* name;
  int separatorsBefore;
};
constexpr ToolbarButton kToolbarButtons[] = {{Command::manualRefresh, "manual_refresh", 6},
                                             {Command::autoRefresh, "auto_refresh", 1},
                                             {Command::returnToTop, "return_top", 2},
                                             {Command::reverseRows, "reverse", 2},
                                             {Command::copySpeeches, "copy_speech", 2},
                                             {Command::notes, "notes", 2}};

// The smallest normal frame in which the page can still be used.
constexpr int kMinimumFrameWidth = 320;
constexpr int kMinimumFrameHeight = 240;
// The frame given in place of one that cannot be used.
constexpr int kDefaultFrameWidth = 1024;
constexpr int kDefaultFrameHeight = 768;

// The saved placement, unless its normal rectangle could not show the page
// (too small, or off every screen, as a damaged jinro.ini or a screen since
// unplugged leaves it): then a default frame centred on the current screen,
// so that the window never comes back unusable. The show state stays.
QRect usableFrame(const QRect& frame, const QScreen* current) {
  const bool bigEnough = frame.width() >= kMinimumFrameWidth && frame.height() >= kMinimumFrameHeight;
  bool onScreen = false;
  for (const QScreen* s : QGuiApplication::screens()) onScreen = onScreen || s->geometry().intersects(frame);
  if (bigEnough && (onScreen || QGuiApplication::screens().isEmpty())) return frame;
  if (!current) current = QGuiApplication::primaryScreen();
  if (!current) return frame;
  const QRect area = current->availableGeometry();
  const QSize size(std::min(kDefaultFrameWidth, area.width()), std::min(kDefaultFrameHeight, area.height()));
  return QRect(area.topLeft() + QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2), size);
}

}  // namespace

MainWindow::MainWindow() {
  setWindowTitle(QStringLiteral("「Moonvale」Thornfield"));
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) icon.addFile(QStringLiteral(":/icons/app_%1.png").arg(size));
  setWindowIcon(icon);
  setPalette(QPalette(Qt::white));

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  band_ = new QWidget(central);
  band_->setFixedHeight(kToolbarBand);
  layout->addWidget(band_);
  // The page, and the notes pane beside it when the player shows it.
  split_ = new QSplitter(Qt::Horizontal, central);
  split_->setChildrenCollapsible(false);
  layout->addWidget(split_, 1);
  notesPane_ = new NotesPaneWidget(split_);
  notesPane_->hide();
  split_->addWidget(notesPane_);
  notesPane_->onEdited([this](const QString& text) {
    if (client_) client_->notesEdited(text.toStdString());
  });
  setCentralWidget(central);

  buildMenus();
  buildToolbar();
  // The line at the bar's left, before the fields on its right.
  statusLine_ = new ElidedLine(statusBar());
  statusLine_->setObjectName(QStringLiteral("status_text"));
  statusBar()->addWidget(statusLine_, 1);
  statusFields_ = new StatusFields(statusBar());
  resize(640, 480);
}

void MainWindow::setBrowserView(QWidget* view) {
  split_->insertWidget(0, view);
  split_->setStretchFactor(0, 3);
  split_->setStretchFactor(1, 1);
}

void MainWindow::toggleNotes() {
  const bool show = notesPane_->isHidden();
  notesPane_->setVisible(show);
  // The first time, a third of the width; afterwards the player's own split.
  if (show && !notesSized_) {
    notesSized_ = true;
    const int width = split_->width();
    split_->setSizes({width - width / 3, width / 3});
  }
  menuActions_[Command::notes]->setChecked(show);
  toolbarActions_[Command::notes]->setChecked(show);
}

void MainWindow::showNotes(std::string_view text, std::string_view village) {
  notesPane_->showNotes(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                        QString::fromUtf8(village.data(), static_cast<qsizetype>(village.size())));
}

void MainWindow::appendNotesLine(std::string_view line) { notesPane_->appendLine(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()))); }

void MainWindow::flushNotesEdit() { notesPane_->flush(); }

void MainWindow::openArchive() {
  if (client_ == nullptr) return;
  ArchiveDialog dialog(client_->archivedVillages(), this);
  if (dialog.exec() != QDialog::Accepted || !dialog.chosen()) return;
  client_->openArchivedDay(*dialog.chosen());
}

void MainWindow::bind(Client& client) { client_ = &client; }

QAction* MainWindow::addMenuCommand(QMenu* menu, const QString& text, Command command) {
  QAction* action = menu->addAction(text);
  connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
  menuActions_[command] = action;
  return action;
}

void MainWindow::buildMenus() {
  QMenuBar* bar = menuBar();
  QMenu* file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  addMenuCommand(file, QStringLiteral("手動更新(&H)"), Command::manualRefresh);
  addMenuCommand(file, QStringLiteral("自動更新(&A)"), Command::autoRefresh);
  file->addSeparator();
  addMenuCommand(file, QStringLiteral("終了(&Q)"), Command::exit);

  QMenu* sound = bar->addMenu(QStringLiteral("音声(&S)"));
  addMenuCommand(sound, QStringLiteral("ON"), Command::soundOn);
  addMenuCommand(sound, QStringLiteral("OFF"), Command::soundOff);
  // Items with a state show it from the start, the unchecked ones too: the
  // player sees there is a check to look for.
  for (Command c : {Command::autoRefresh, Command::soundOn, Command::soundOff}) menuActions_[c]->setCheckable(true);

  QMenu* settings = bar->addMenu(QStringLiteral("設定(&C)"));
  addMenuCommand(settings, QStringLiteral("全般の設定(&G)"), Command::generalSettings);
  addMenuCommand(settings, QStringLiteral("音声の設定(&S)"), Command::soundSettings);

  QMenu* window = bar->addMenu(QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
  addMenuCommand(window, QStringLiteral("全ｳｨﾝﾄﾞｳを最小化(&L)"), Command::minimizeAll);
  addMenuCommand(window, QStringLiteral("全ﾛｸﾞｳｨﾝﾄﾞｳを閉じる(&C)"), Command::closeAllLogWindows);
  // The desktop's window menu is the window manager's; its command lives here.
  addMenuCommand(window, QStringLiteral("全ｳｨﾝﾄﾞｳを左上へ移動(&T)"), Command::moveAllTopLeft);

  QMenu* notes = bar->addMenu(QStringLiteral("記録(&K)"));
  addMenuCommand(notes, QStringLiteral("メモ欄(&M)"), Command::notes)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  addMenuCommand(notes, QStringLiteral("過去の記録(&P)"), Command::archive);
  menuActions_[Command::notes]->setCheckable(true);

  QMenu* help = bar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  addMenuCommand(help, QStringLiteral("Readmeを開く(&R)"), Command::openReadme);
  addMenuCommand(help, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&V)"), Command::version);
}

void MainWindow::buildToolbar() {
  auto* layout = new QHBoxLayout(band_);
  layout->setContentsMargins(0, 2, 0, 2);
  layout->setSpacing(0);
  toolbar_ = new QToolBar(band_);
  toolbar_->setObjectName(QStringLiteral("toolbar"));
  toolbar_->setMovable(false);
  toolbar_->setFloatable(false);
  toolbar_->setIconSize(QSize(16, 15));
  toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  toolbar_->setStyleSheet(QStringLiteral("QToolBar { border: none; spacing: 0px; }"));
  layout->addWidget(toolbar_);
  layout->addStretch(1);

  // Separators are blank gaps of 8 pixels: six, the button, one, the button,
  // then two before each of the others.
  for (const ToolbarButton& b : kToolbarButtons) {
    auto* gap = new QWidget(toolbar_);
    gap->setFixedWidth(8 * b.separatorsBefore);
    toolbar_->addWidget(gap);
    QAction* action =
        toolbar_->addAction(QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(b.name))), QString());
    action->setToolTip(QString());
    action->setObjectName(QLatin1String(b.name));
    const Command command = b.command;
    connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
    toolbarActions_[command] = action;
  }
  toolbarActions_[Command::autoRefresh]->setToolTip(
      QStringLiteral("発言や行動を入力・送信する時は、自動更新を手動で切ってください。"));
  // Pressed states are the client's to set.
  for (Command c : {Command::autoRefresh, Command::reverseRows, Command::notes}) toolbarActions_[c]->setCheckable(true);
  toolbarActions_[Command::notes]->setToolTip(QStringLiteral("メモ欄 (Ctrl+M)"));
}

void MainWindow::runCommand(Command command) {
  // What only the window does needs no client.
  switch (command) {
    case Command::exit: close(); return;
    case Command::generalSettings: openGeneralSettings(); return;
    case Command::soundSettings: openSoundSettings(); return;
    case Command::version: showVersion(); return;
    case Command::notes: toggleNotes(); return;
    case Command::archive: openArchive(); return;
    default: break;
  }
  if (client_ == nullptr) return;
  switch (command) {
    case Command::soundOn: client_->setSoundOn(true); break;
    case Command::soundOff: client_->setSoundOn(false); break;
    case Command::manualRefresh: client_->refresh(); break;
    case Command::autoRefresh: client_->toggleAutoRefresh(); break;
    case Command::minimizeAll: client_->minimizeAll(); break;
    case Command::moveAllTopLeft: client_->moveAllTopLeft(); break;
    case Command::closeAllLogWindows: client_->closeAllLogWindows(); break;
    case Command::openReadme: openWithDesktop(client_->readmePath()); break;
    case Command::returnToTop: client_->returnToTop(); break;
    case Command::reverseRows: client_->toggleReverseRows(); break;
    case Command::copySpeeches: client_->copySpeeches(); break;
    default: break;
  }
}

QAction* MainWindow::commandAction(Command command) const {
  if (auto it = toolbarActions_.find(command); it != toolbarActions_.end()) return it->second;
  return menuAction(command);
}

QAction* MainWindow::menuAction(Command command) const {
  auto it = menuActions_.find(command);
  return it == menuActions_.end() ? nullptr : it->second;
}

void MainWindow::restorePlacement(bool windowManagerRuns, std::function<void()> then) {
  auto apply = [this, then] {
    if (client_) client_->restorePlacement();
    if (then) then();
  };
  if (!windowManagerRuns) {
    apply();
    return;
  }
  // Polled, not waited for: the frame comes with the window manager's events.
  auto* poll = new QTimer(this);
  auto waited = std::make_shared<QElapsedTimer>();
  waited->start();
  connect(poll, &QTimer::timeout, this, [this, poll, waited, apply] {
    if (frameGeometry() == geometry() && waited->elapsed() < kFrameWaitMilliseconds) return;
    poll->stop();
    poll->deleteLater();
    apply();
  });
  poll->start(20);
}

void MainWindow::setCaption(std::string_view title) {
  setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
  traceMark("caption-set");
}

void MainWindow::setCommandEnabled(Command command, bool enabled) {
  if (auto it = toolbarActions_.find(command); it != toolbarActions_.end()) it->second->setEnabled(enabled);
  if (QAction* item = menuAction(command)) item->setEnabled(enabled);
}

void MainWindow::setCommandChecked(Command command, bool checked) {
  if (auto it = toolbarActions_.find(command); it != toolbarActions_.end() && it->second->isCheckable()) {
    it->second->setChecked(checked);
  }
  if (QAction* item = menuAction(command)) {
    item->setCheckable(true);
    item->setChecked(checked);
  }
}

void MainWindow::showNotice(const Notice& notice, std::function<void()> closed) {
  auto* box = new QMessageBox(this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowTitle(QString::fromStdString(notice.caption));
  box->setText(QString::fromStdString(notice.text));
  box->setIcon(notice.icon == MessageIcon::information ? QMessageBox::Information
               : notice.icon == MessageIcon::error     ? QMessageBox::Critical
                                                        : QMessageBox::NoIcon);
  box->setStandardButtons(QMessageBox::Ok);
  // Modal for the player, yet the program goes on: pages load and alarms
  // sound while the box waits.
  box->setModal(true);
  if (closed) connect(box, &QMessageBox::finished, this, [closed] { closed(); });
  box->show();
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

void MainWindow::openGeneralSettings() {
  if (client_) openGeneralSettingsDialog(*client_, this);
}

void MainWindow::openSoundSettings() {
  if (client_) openSoundSettingsSheet(*client_, this);
}

void MainWindow::showVersion() {
  QMessageBox box(this);
  box.setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
  box.setIconPixmap(windowIcon().pixmap(64, 64));
  box.setText(QStringLiteral("%1 バージョン %2\n\n"
                             "ウェブの人狼ゲームをデスクトップで遊ぶためのクライアントです。\n"
                             "Qt %3 と SDL2_mixer を使っています。")
                  .arg(QString::fromUtf8(kProgramName), QCoreApplication::applicationVersion(), QString::fromLatin1(qVersion())));
  // The text can be selected and copied (a click into it, Ctrl+A, Ctrl+C),
  // for a report of a fault; Enter still closes the box.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

// Any window of the program counts (a settings dialog, a message box): the
// player is at the program and hears its alarms.
bool MainWindow::isWindowActive() { return QApplication::activeWindow() != nullptr; }

void MainWindow::requestAttention() {
  // Until the player comes to the window: the urgency hint of X11, the
  // flashing taskbar entry of the desktops.
  QApplication::alert(this, 0);
}

QRect MainWindow::frameMargins() const {
  // left, top, right, bottom widths of the window manager's frame, in a QRect's fields.
  const QRect frame = frameGeometry();
  const QRect client = geometry();
  return QRect(QPoint(client.left() - frame.left(), client.top() - frame.top()),
               QPoint(frame.right() - client.right(), frame.bottom() - client.bottom()));
}

WindowGeometry MainWindow::windowGeometry() {
  WindowGeometry g;
  const Qt::WindowStates states = windowState();
  if (states & Qt::WindowMinimized) {
    g.state = WindowGeometry::State::minimized;
    g.maximizedUnderMinimized = (states & Qt::WindowMaximized) || wasMaximizedBeforeMinimize_;
  } else if (states & Qt::WindowMaximized) {
    g.state = WindowGeometry::State::maximized;
  }
  // The normal rectangle is the frame's rectangle on screen (a maximised
  // frame may lose its borders: the normal state's widths count).
  noteNormalFrame();
  const QRect m = normalMargins_;
  QRect normal = (states & (Qt::WindowMinimized | Qt::WindowMaximized)) ? normalGeometry() : geometry();
  if (!normal.isValid()) normal = geometry();
  g.left = normal.left() - m.left();
  g.top = normal.top() - m.top();
  g.width = normal.width() + m.left() + m.right();
  g.height = normal.height() + m.top() + m.bottom();
  return g;
}

void MainWindow::applyWindowGeometry(const WindowGeometry& saved) {
  const QRect frame = usableFrame(QRect(saved.left, saved.top, saved.width, saved.height), screen());
  const QRect m = frameMargins();
  const int width = std::max(1, frame.width() - m.left() - m.right());
  const int height = std::max(1, frame.height() - m.top() - m.bottom());
  if (isMaximized() || isMinimized()) showNormal();
  move(frame.left(), frame.top());
  resize(width, height);
  switch (saved.state) {
    case WindowGeometry::State::maximized:
      showMaximized();
      break;
    case WindowGeometry::State::minimized:
      wasMaximizedBeforeMinimize_ = saved.maximizedUnderMinimized;
      if (wasMaximizedBeforeMinimize_) setWindowState(Qt::WindowMinimized | Qt::WindowMaximized);
      else showMinimized();
      break;
    case WindowGeometry::State::normal:
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

void MainWindow::showStatusText(std::string_view text) {
  // The line takes the bar's left; the fields stay on its right.
  const QString line = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  statusFields_->recordMessage(line);
  statusLine_->setText(line);
}

void MainWindow::showGameStatus(std::string_view text) {
  statusFields_->setGameStatus(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void MainWindow::showRefreshCountdown(uint64_t intervalMilliseconds) {
  statusFields_->setCountdown(intervalMilliseconds);
}

void MainWindow::showRefreshWaiting(bool waiting) { statusFields_->setWaiting(waiting); }

void MainWindow::showRefreshPaused(bool paused) { statusFields_->setPaused(paused); }

void MainWindow::showPageLoad(bool loaded) { statusFields_->setPageLoad(loaded); }

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && !isMinimized()) wasMaximizedBeforeMinimize_ = isMaximized();
  QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  switch (closing_) {
    case Closing::no:
      // The client saves the placement and asks the log viewers to close;
      // the window goes once they have had a moment to do so.
      closing_ = Closing::waitingForViewers;
      if (client_) {
        notesPane_->flush();
        client_->close();
      }
      QTimer::singleShot(kViewerCloseMilliseconds, this, [this] {
        closing_ = Closing::done;
        close();
      });
      event->ignore();
      return;
    case Closing::waitingForViewers:
      event->ignore();
      return;
    case Closing::done:
      event->accept();
      return;
  }
}

}  // namespace jinro
