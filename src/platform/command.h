#pragma once
// What the player can ask of the client from the menus and the toolbar. The
// shell shows each command's state (enabled, checked); the client sets it.
namespace jinro {

enum class Command {
  soundOn,
  soundOff,
  manualRefresh,
  autoRefresh,
  exit,
  minimizeAll,
  moveAllTopLeft,
  closeAllLogWindows,
  generalSettings,
  soundSettings,
  openReadme,
  version,
  returnToTop,
  reverseRows,
  copySpeeches,
  notes,    // shows or hides the notes pane
  archive,  // the day logs kept ("過去の記録")
};

}  // namespace jinro
