// x11-test-window: a plain top-level window of a given WM_CLASS, standing in
// for another program's window in the end-to-end tests.
//   x11-test-window CLASS [INSTANCE [TITLE [WxH+X+Y [nodelete]]]]
// Prints its window id (0x...) once mapped. Exits 0 when asked to close
// (WM_DELETE_WINDOW); with "nodelete" it doesn't offer that request.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>

#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: x11-test-window CLASS [INSTANCE [TITLE [WxH+X+Y [nodelete]]]]\n");
    return 2;
  }
  const char* cls = argv[1];
  const char* instance = argc > 2 ? argv[2] : "x11-test-window";
  const char* title = argc > 3 ? argv[3] : cls;
  int x = 100, y = 100;
  unsigned int w = 300, h = 200;
  if (argc > 4) XParseGeometry(argv[4], &x, &y, &w, &h);
  const bool offerDelete = !(argc > 5 && std::strcmp(argv[5], "nodelete") == 0);

  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "x11-test-window: no display\n");
    return 1;
  }
  const int screen = DefaultScreen(d);
  Window win = XCreateSimpleWindow(d, RootWindow(d, screen), x, y, w, h, 0, BlackPixel(d, screen),
                                   WhitePixel(d, screen));
  XClassHint hint{const_cast<char*>(instance), const_cast<char*>(cls)};
  XSizeHints size{};
  size.flags = USPosition | USSize | PWinGravity;
  size.x = x;
  size.y = y;
  size.width = static_cast<int>(w);
  size.height = static_cast<int>(h);
  size.win_gravity = NorthWestGravity;
  XWMHints wm{};
  wm.flags = InputHint | StateHint;
  wm.input = True;
  wm.initial_state = NormalState;
  char* name = const_cast<char*>(title);
  XTextProperty text{};
  XStringListToTextProperty(&name, 1, &text);
  XSetWMProperties(d, win, &text, &text, nullptr, 0, &size, &wm, &hint);
  if (text.value) XFree(text.value);
  long pid = static_cast<long>(getpid());
  XChangeProperty(d, win, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  Atom wmDelete = XInternAtom(d, "WM_DELETE_WINDOW", False);
  if (offerDelete) XSetWMProtocols(d, win, &wmDelete, 1);
  XSelectInput(d, win, StructureNotifyMask);
  XMapWindow(d, win);
  for (;;) {
    XEvent ev;
    XNextEvent(d, &ev);
    if (ev.type == MapNotify) {
      std::printf("0x%lx\n", win);
      std::fflush(stdout);
    } else if (ev.type == ClientMessage && ev.xclient.format == 32 &&
               static_cast<Atom>(ev.xclient.data.l[0]) == wmDelete) {
      XCloseDisplay(d);
      return 0;
    }
  }
}
