#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace jinro {

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Starts program with these arguments directly (no shell), detached, without
  // taking the focus. Returns the process id, or 0 when it could not start.
  virtual int64_t startDetached(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

}  // namespace jinro
