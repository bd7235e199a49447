#pragma once
// The window sweeps over X11 (Xlib). A window belongs to a sweep when the
// class part of its WM_CLASS equals the given name byte for byte. Each sweep
// opens a display connection of its own (the one DISPLAY names); with no
// display it acts on nothing and returns 0.
//
// What each sweep does to a matching top-level window:
// - close: the window's own close request (WM_DELETE_WINDOW). A window that
//   doesn't take that request is left alone and not counted: the program
//   behind it is never killed.
// - minimize: the ICCCM iconify request (XIconifyWindow), which only a window
//   manager carries out. With no window manager running nothing can be
//   iconified: the windows stay as they are and the sweep returns 0.
// - moveTopLeft: the window's outer top-left corner (its frame's, under a
//   window manager) goes to the screen's (0, 0); size and stacking stay.
//
// Top-level windows are the root's children, or under a reparenting window
// manager the client window inside each frame (the one with WM_STATE).
// Windows that are unmapped and not iconic (withdrawn: taken off the screen
// by their program, like toolkits' hidden helper windows) and override-
// redirect windows (menus, tooltips) are not the program's windows on the
// desktop and are skipped.
#include "platform/window_sweeper.h"

namespace jinro {

class X11WindowSweeper final : public WindowSweeper {
 public:
  int sweep(SweepKind kind, std::string_view windowClass) override;
};

}  // namespace jinro
