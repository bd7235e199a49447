#pragma once
// The one place that builds the desktop's services (Qt WebEngine, SDL sound,
// X11 sweeps, Qt timer, clipboard and launcher), the main window and the
// client, and wires them together.
#include <QObject>
#include <memory>
#include <thread>

namespace jinro {

class Client;
class MainWindow;
class SdlSoundDevice;
class X11WindowSweeper;
namespace qt {
class DBusNotifier;
class QtFileWriter;
class QtClipboard;
class QtProcessLauncher;
class QtRefreshTimer;
class WebEngineBrowser;
}  // namespace qt

class ClientApplication : public QObject {
  Q_OBJECT
 public:
  ClientApplication();
  ~ClientApplication() override;

  // False when the embedded browser cannot be created (its helper program is
  // missing): the player has been told, and nothing else was made.
  bool create();
  // Shows the window, requests the start page and restores the placement.
  void start();
  MainWindow& window() { return *window_; }

 private:
  std::unique_ptr<MainWindow> window_;
  qt::WebEngineBrowser* browser_ = nullptr;  // owned by the window
  std::unique_ptr<SdlSoundDevice> sound_;
  std::unique_ptr<X11WindowSweeper> sweeper_;
  std::unique_ptr<qt::QtRefreshTimer> timer_;
  std::unique_ptr<qt::QtClipboard> clipboard_;
  std::unique_ptr<qt::QtProcessLauncher> launcher_;
  std::unique_ptr<qt::DBusNotifier> notifier_;
  std::unique_ptr<qt::QtFileWriter> writer_;
  std::unique_ptr<Client> client_;
  std::thread tableBuilder_;
};

}  // namespace jinro
