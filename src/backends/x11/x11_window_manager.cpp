#include "backends/x11/x11_window_manager.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace jinro {

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

}  // namespace jinro
