#pragma once
// The start of the client in the order the main window's creation follows,
// free of any toolkit: the shell states, the settings, the first navigation
// and the saved placement. The toolkit's shell calls these at the matching
// points of its own start.
#include <cstdint>

#include "app/client_controller.h"

namespace jinro {

class MainWindowPort;

// "初期化に失敗", captioned "ごめりんこ": the browser could not be created.
void reportBrowserFailure(MainWindowPort& shell);

// The toolbar and menu states of a new window: speech copy disabled, "ON"
// checked.
void initialiseShellStates(ClientController& c);

// The controller's start: automatic refresh off, the settings loaded, the
// auto-refresh button unpressed; then, when the browser's events are
// connected, the plain GET of the start page.
void startController(ClientController& c, bool eventsConnected);

// Applies the placement saved in jinro.ini (or the settings' defaults) to the
// shown window. startShowCmd is the show state the window was started with.
WindowPlacement restoreWindowPlacement(ClientController& c, uint32_t startShowCmd);

}  // namespace jinro
