#pragma once
// The client's main window: menu bar, toolbar, the embedded browser below the
// toolbar's band, and the wiring of the one controller to the desktop.
#include <QMainWindow>
#include <QPointer>
#include <map>
#include <memory>

#include "app/client_controller.h"
#include "platform/main_window.h"

class QAction;
class QCloseEvent;
class QToolBar;
class QWebEngineView;

namespace jinro {
class BrowserEventSink;
class CommandHandler;
class SdlSoundDevice;
class X11WindowSweeper;
namespace qt {
class QtClipboard;
class QtProcessLauncher;
class QtRefreshTimer;
class WebEngineBrowser;
}  // namespace qt

// The height of the band above the browser that holds the toolbar.
inline constexpr int kToolbarBand = 30;

class MainWindow : public QMainWindow, public MainWindowPort {
  Q_OBJECT
 public:
  MainWindow();
  ~MainWindow() override;

  // The browser; false (and nothing else made) when it cannot be created.
  bool createBrowser();
  // Controller, settings, events and the first navigation.
  void startClient();
  // After the window was shown: the saved placement.
  void restorePlacement();

  ClientController& controller() { return *controller_; }
  QWebEngineView* browserView() const;
  QAction* commandAction(int id) const;

  // MainWindowPort
  void setCaption(std::string_view shiftJisTitle) override;
  void setToolbarButtonState(int buttonId, int state) override;
  void checkMenuItem(int itemId, bool checked) override;
  void showMessageBox(std::string_view shiftJisText, std::string_view shiftJisCaption, MessageIcon icon) override;
  void minimize() override;
  void moveToTopLeft() override;
  void requestClose() override;
  void runGeneralSettingsDialog() override;
  void runSoundSettingsSheet() override;
  void showVersionBox() override;
  WindowPlacement placement() override;
  void applyPlacement(const WindowPlacement& placement) override;
  void openWithDesktop(const std::string& path) override;
  void showStatusText(std::string_view shiftJisText) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private slots:
  void pumpSoundNotices();

 private:
  void buildMenus();
  void buildToolbar();
  QAction* addCommand(QMenu* menu, const QString& text, int id);
  void dispatchCommand(int id);
  QRect frameMargins() const;
  void noteNormalFrame();

  std::unique_ptr<ClientController> controller_;
  std::unique_ptr<CommandHandler> handler_;
  std::unique_ptr<BrowserEventSink> sink_;
  std::unique_ptr<SdlSoundDevice> sound_;
  std::unique_ptr<X11WindowSweeper> sweeper_;
  std::unique_ptr<qt::QtClipboard> clipboard_;
  std::unique_ptr<qt::QtProcessLauncher> launcher_;
  qt::QtRefreshTimer* timer_ = nullptr;
  qt::WebEngineBrowser* browser_ = nullptr;
  QWidget* band_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  std::map<int, QAction*> menuActions_;
  std::map<int, QAction*> toolbarActions_;
  WindowPlacement lastPlacement_;  // ptMin/ptMax and flags as read, written back
  bool wasMaximizedBeforeMinimize_ = false;
  QRect normalMargins_;  // the frame's widths when last seen in the normal state
  bool closing_ = false;
};

}  // namespace jinro
