#pragma once
// Whether a window manager that follows the desktop conventions (EWMH) runs
// on the display: then windows get frames, and only then are they iconified.
namespace jinro {

bool windowManagerRunning();

}  // namespace jinro
