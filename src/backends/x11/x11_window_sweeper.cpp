#include "backends/x11/x11_window_sweeper.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>
#include <vector>

namespace jinro {
namespace {

// Windows of other programs may vanish at any moment during a sweep; the
// errors that follow are expected and must not end the program (Xlib's
// default handler exits).
int ignoreXError(Display*, XErrorEvent*) { return 0; }

struct Atoms {
  Atom wmState, wmProtocols, wmDeleteWindow, netSupported, netMoveResize;
  explicit Atoms(Display* d)
      : wmState(XInternAtom(d, "WM_STATE", False)),
        wmProtocols(XInternAtom(d, "WM_PROTOCOLS", False)),
        wmDeleteWindow(XInternAtom(d, "WM_DELETE_WINDOW", False)),
        netSupported(XInternAtom(d, "_NET_SUPPORTED", False)),
        netMoveResize(XInternAtom(d, "_NET_MOVERESIZE_WINDOW", False)) {}
};

std::vector<Window> children(Display* d, Window w) {
  Window root = 0, parent = 0, *list = nullptr;
  unsigned int n = 0;
  std::vector<Window> out;
  if (XQueryTree(d, w, &root, &parent, &list, &n) && list) out.assign(list, list + n);
  if (list) XFree(list);
  return out;
}

// The ICCCM state of a client window: WithdrawnState when it has none.
long wmStateOf(Display* d, Window w, const Atoms& a) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long state = WithdrawnState;
  if (XGetWindowProperty(d, w, a.wmState, 0, 2, False, a.wmState, &type, &format, &count, &after, &data) ==
          Success &&
      data && type == a.wmState && format == 32 && count >= 1)
    state = reinterpret_cast<long*>(data)[0];
  if (data) XFree(data);
  return state;
}

bool hasWmState(Display* d, Window w, const Atoms& a) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool found = XGetWindowProperty(d, w, a.wmState, 0, 0, False, AnyPropertyType, &type, &format, &count, &after,
                                  &data) == Success &&
               type != None;
  if (data) XFree(data);
  return found;
}

// The client window of a top-level window: itself when it carries WM_STATE
// or nothing below it does (no window manager), else the first window with
// WM_STATE found breadth-first inside the frame.
Window clientOf(Display* d, Window top, const Atoms& a) {
  if (hasWmState(d, top, a)) return top;
  std::vector<Window> level = children(d, top);
  for (int depth = 0; depth < 6 && !level.empty(); ++depth) {
    std::vector<Window> next;
    for (Window w : level) {
      if (hasWmState(d, w, a)) return w;
      std::vector<Window> below = children(d, w);
      next.insert(next.end(), below.begin(), below.end());
    }
    level.swap(next);
  }
  return top;
}

bool classIs(Display* d, Window w, std::string_view name) {
  XClassHint hint{nullptr, nullptr};
  if (!XGetClassHint(d, w, &hint)) return false;
  bool same = hint.res_class && std::string_view(hint.res_class) == name;
  if (hint.res_name) XFree(hint.res_name);
  if (hint.res_class) XFree(hint.res_class);
  return same;
}

bool takesDeleteRequest(Display* d, Window w, const Atoms& a) {
  Atom* protocols = nullptr;
  int n = 0;
  bool found = false;
  if (XGetWMProtocols(d, w, &protocols, &n) && protocols) {
    for (int i = 0; i < n; ++i) found = found || protocols[i] == a.wmDeleteWindow;
  }
  if (protocols) XFree(protocols);
  return found;
}

// A window manager is running on the screen when it owns the WM_Sn selection.
bool windowManagerRuns(Display* d, int screen) {
  std::string name = "WM_S" + std::to_string(screen);
  return XGetSelectionOwner(d, XInternAtom(d, name.c_str(), False)) != None;
}

bool rootSupports(Display* d, Window root, Atom what, const Atoms& a) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool found = false;
  if (XGetWindowProperty(d, root, a.netSupported, 0, 4096, False, XA_ATOM, &type, &format, &count, &after, &data) ==
          Success &&
      data && type == XA_ATOM && format == 32) {
    const Atom* list = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count; ++i) found = found || list[i] == what;
  }
  if (data) XFree(data);
  return found;
}

void sendClientMessage(Display* d, Window to, Window about, Atom type, long mask, long l0, long l1 = 0, long l2 = 0,
                       long l3 = 0, long l4 = 0) {
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = about;
  ev.xclient.message_type = type;
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = l0;
  ev.xclient.data.l[1] = l1;
  ev.xclient.data.l[2] = l2;
  ev.xclient.data.l[3] = l3;
  ev.xclient.data.l[4] = l4;
  XSendEvent(d, to, False, mask, &ev);
}

int sweepScreen(Display* d, int screen, SweepKind kind, std::string_view windowClass, const Atoms& a) {
  const Window root = RootWindow(d, screen);
  const bool managed = windowManagerRuns(d, screen);
  const bool ewmhMove = managed && rootSupports(d, root, a.netMoveResize, a);
  int count = 0;
  for (Window top : children(d, root)) {
    XWindowAttributes topAttr{};
    if (!XGetWindowAttributes(d, top, &topAttr) || topAttr.override_redirect) continue;
    // Without a window manager there are no frames to look into.
    const Window client = managed ? clientOf(d, top, a) : top;
    if (!classIs(d, client, windowClass)) continue;
    XWindowAttributes attr{};
    if (!XGetWindowAttributes(d, client, &attr) || attr.override_redirect) continue;
    if (attr.map_state == IsUnmapped && wmStateOf(d, client, a) != IconicState) continue;

    switch (kind) {
      case SweepKind::close:
        if (!takesDeleteRequest(d, client, a)) break;
        sendClientMessage(d, client, client, a.wmProtocols, NoEventMask, static_cast<long>(a.wmDeleteWindow),
                          CurrentTime);
        ++count;
        break;
      case SweepKind::minimize:
        if (!managed) break;
        if (XIconifyWindow(d, client, screen)) ++count;
        break;
      case SweepKind::moveTopLeft:
        if (ewmhMove) {
          // North-west gravity: (x, y) is the frame's outer top-left corner.
          // Flags: gravity 1, x and y given, source 2 (a pager/taskbar).
          const long flags = NorthWestGravity | (1L << 8) | (1L << 9) | (2L << 12);
          sendClientMessage(d, root, client, a.netMoveResize, SubstructureRedirectMask | SubstructureNotifyMask,
                            flags, 0, 0);
        } else if (managed) {
          // A configure request, which the window manager reads by the
          // window's gravity: with static gravity the position is the
          // client's own, inside the frame's decorations.
          int x = 0, y = 0;
          XSizeHints hints{};
          long supplied = 0;
          if (XGetWMNormalHints(d, client, &hints, &supplied) && (hints.flags & PWinGravity) &&
              hints.win_gravity == StaticGravity && top != client) {
            Window child = 0;
            XTranslateCoordinates(d, client, top, 0, 0, &x, &y, &child);
          }
          XMoveWindow(d, client, x, y);
        } else {
          XMoveWindow(d, top, 0, 0);
        }
        ++count;
        break;
    }
  }
  return count;
}

}  // namespace

int X11WindowSweeper::sweep(SweepKind kind, std::string_view windowClass) {
  if (windowClass.empty()) return 0;
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 0;
  XErrorHandler previous = XSetErrorHandler(ignoreXError);
  int count = 0;
  {
    const Atoms atoms(d);
    for (int s = 0; s < ScreenCount(d); ++s) count += sweepScreen(d, s, kind, windowClass, atoms);
  }
  XSync(d, False);
  XCloseDisplay(d);
  XSetErrorHandler(previous);
  return count;
}

}  // namespace jinro
