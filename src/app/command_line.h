#pragma once
// The client's command line, read before Qt starts (so that a mistyped
// option ends the program before any window or browser engine appears).
//
//   jinro-client [--server-url URL] [--help] [--version]
#include <optional>

namespace jinro {

// Applies the options (--server-url replaces the game server's base URL for
// this run). Returns the exit status when the program ends here: 0 after
// --help or --version (their text on stdout), 2 for an unknown option or a
// refused value (the reason on stderr); nothing when the client should start.
std::optional<int> applyCommandLine(int argc, char** argv, const char* version);

}  // namespace jinro
