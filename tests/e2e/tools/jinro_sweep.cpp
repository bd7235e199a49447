// jinro-sweep: runs one window sweep on the display in DISPLAY and prints how
// many windows it acted on. For the end-to-end tests.
//   jinro-sweep close|minimize|move [window-class]
// The class defaults to the log viewer's, "QuillpaneClass_9gdFZb".
#include <cstdio>
#include <cstring>

#include "backends/x11/x11_window_sweeper.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: jinro-sweep close|minimize|move [window-class]\n");
    return 2;
  }
  jinro::SweepKind kind;
  if (std::strcmp(argv[1], "close") == 0)
    kind = jinro::SweepKind::close;
  else if (std::strcmp(argv[1], "minimize") == 0)
    kind = jinro::SweepKind::minimize;
  else if (std::strcmp(argv[1], "move") == 0)
    kind = jinro::SweepKind::moveTopLeft;
  else {
    std::fprintf(stderr, "jinro-sweep: unknown sweep '%s'\n", argv[1]);
    return 2;
  }
  jinro::X11WindowSweeper sweeper;
  std::printf("%d\n", sweeper.sweep(kind, argc == 3 ? argv[2] : "QuillpaneClass_9gdFZb"));
  return 0;
}
