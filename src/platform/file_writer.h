#pragma once
// Writing a file away from the window's thread, so that a slow disk never
// holds up the page.
#include <functional>
#include <string>

#include "base/result.h"

namespace jinro {

class FileWriter {
 public:
  virtual ~FileWriter() = default;
  // Replaces the file at `path` with `bytes` (whole, or not at all) in the
  // background; `done` (when given) gets the result on the window's thread.
  // Writes land in the order they were asked for, and a writer finishes them
  // all before it is destroyed (no `done` is called then).
  virtual void write(std::string path, std::string bytes, std::function<void(Result<void>)> done) = 0;
};

}  // namespace jinro
