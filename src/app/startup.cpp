#include "app/startup.h"

#include "browser/navigation.h"
#include "platform/main_window.h"
#include "settings/settings.h"

namespace jinro {

void reportBrowserFailure(MainWindowPort& shell) {
  // 初期化に失敗 / ごめりんこ
  shell.showMessageBox("\x8F\x89\x8A\xFA\x89\xBB\x82\xC9\x8E\xB8\x94\x73",
                       "\x82\xB2\x82\xDF\x82\xE8\x82\xF1\x82\xB1", MessageIcon::none);
}

void initialiseShellStates(ClientController& c) {
  if (c.ports.shell == nullptr) return;
  c.ports.shell->setToolbarButtonState(ID_TB_COPY_SPEECH, TBSTATE_DISABLED);
  c.ports.shell->checkMenuItem(IDM_SOUND_ON, true);
}

void startController(ClientController& c, bool eventsConnected) {
  c.timerRunning = 0;
  c.autoRefreshOn = 0;
  loadSoundSettings(c.settings);
  loadGeneralSettings(c.settings);
  if (c.ports.shell) c.ports.shell->setToolbarButtonState(ID_TB_AUTO_REFRESH, TBSTATE_ENABLED);
  c.refreshByTimer = 0;
  if (eventsConnected) navigateTo(c, c.settings.startUrl);
}

WindowPlacement restoreWindowPlacement(ClientController& c, uint32_t startShowCmd) {
  WindowPlacement p;
  p.length = 44;
  p.showCmd = startShowCmd;
  p.rcNormalLeft = 50;
  p.rcNormalTop = 50;
  p.rcNormalRight = 200;
  p.rcNormalBottom = 200;
  loadWindowPlacement(p);
  p.length = 44;
  if (c.ports.shell) c.ports.shell->applyPlacement(p);
  return p;
}

}  // namespace jinro
