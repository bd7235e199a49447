#pragma once
#include <string>

namespace jinro {

// Directory of the running executable (from /proc/self/exe), with a trailing
// '/'. Paths of any length.
std::string executableDirectory();

// executableDirectory(), after making it the current directory.
std::string enterExecutableDirectory();

}  // namespace jinro
