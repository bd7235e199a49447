#pragma once
// The client's main window: menu bar, toolbar, the embedded browser below the
// toolbar's band, and the status line. It shows what the client tells it and
// forwards the player's commands to the client.
#include <QMainWindow>
#include <functional>
#include <map>

#include "platform/game_window.h"
#include "platform/notes_pane.h"
#include "platform/notices.h"
#include "platform/status_bar.h"
#include "settings/settings.h"

class QAction;
class QCloseEvent;
class QSplitter;
class QToolBar;

namespace jinro {

class NotesPaneWidget;

class Client;
class ElidedLine;
class StatusFields;

// The height of the band above the browser that holds the toolbar.
inline constexpr int kToolbarBand = 30;

class MainWindow : public QMainWindow, public GameWindow, public StatusBar, public Notices, public NotesPane {
  Q_OBJECT
 public:
  MainWindow();

  // The browser's view, below the toolbar's band.
  void setBrowserView(QWidget* view);
  // From now on the menus and the toolbar reach this client.
  void bind(Client& client);
  // After the window was shown: the placement saved in jinro.ini, applied
  // once the window manager (if one runs) has framed the window, whose size
  // the saved rectangle includes. `then` runs after it.
  void restorePlacement(bool windowManagerRuns, std::function<void()> then = {});

  // The toolbar's button for the command if it has one, else its menu item.
  QAction* commandAction(Command command) const;
  QAction* menuAction(Command command) const;

  // The player's own commands that the window carries out itself.
  void openGeneralSettings();
  void openSoundSettings();
  void showVersion();
  // Opens a file with the desktop's default program.
  void openWithDesktop(const std::string& path);
  void toggleNotes();
  void openArchive();

  // GameWindow
  void setCaption(std::string_view title) override;
  void setCommandEnabled(Command command, bool enabled) override;
  void setCommandChecked(Command command, bool checked) override;
  void minimize() override;
  void moveToTopLeft() override;
  WindowGeometry windowGeometry() override;
  void applyWindowGeometry(const WindowGeometry& geometry) override;
  bool isWindowActive() override;
  void requestAttention() override;

  // Notices
  void showNotice(const Notice& notice, std::function<void()> closed) override;

  // NotesPane
  void showNotes(std::string_view text, std::string_view village) override;
  void appendNotesLine(std::string_view line) override;
  void flushNotesEdit() override;

  // StatusBar
  void showStatusText(std::string_view text) override;
  void showGameStatus(std::string_view text) override;
  void showRefreshCountdown(uint64_t intervalMilliseconds) override;
  void showRefreshWaiting(bool waiting) override;
  void showRefreshPaused(bool paused) override;
  void showPageLoad(bool loaded) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildMenus();
  void buildToolbar();
  QAction* addMenuCommand(QMenu* menu, const QString& text, Command command);
  void runCommand(Command command);
  QRect frameMargins() const;
  void noteNormalFrame();

  Client* client_ = nullptr;
  QWidget* band_ = nullptr;
  QSplitter* split_ = nullptr;
  NotesPaneWidget* notesPane_ = nullptr;
  bool notesSized_ = false;
  QToolBar* toolbar_ = nullptr;
  ElidedLine* statusLine_ = nullptr;
  StatusFields* statusFields_ = nullptr;
  std::map<Command, QAction*> menuActions_;
  std::map<Command, QAction*> toolbarActions_;
  bool wasMaximizedBeforeMinimize_ = false;
  QRect normalMargins_;  // the frame's widths when last seen in the normal state
  enum class Closing { no, waitingForViewers, done } closing_ = Closing::no;
};

}  // namespace jinro
