#pragma once
// Reading a whole file into memory, when it is no larger than the caller
// allows: the one reader of the settings file and of the sound files, so that
// both refuse the same things for the same reasons.
//
// Only a regular file is read. Opening never blocks on a FIFO or a device put
// in a file's place, nor makes a terminal the program's own. A file that grows
// while it is read is held to the same bound; one that shrinks is read to its
// new end. The errors are typed, so that a caller can take a missing file as
// "nothing there yet" and still refuse one it could not read.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/result.h"

namespace jinro {

enum class FileReadFault {
  missing,     // no file by that name
  cannotOpen,  // there, but opening it failed (permissions, say)
  notRegular,  // a folder, FIFO, device or socket
  tooLarge,    // more bytes than the bound
  readFailed,  // opened, but reading it failed
};

struct FileReadError {
  FileReadFault fault = FileReadFault::missing;
  int systemError = 0;  // the errno behind missing, cannotOpen and readFailed
  uint64_t size = 0;    // tooLarge: the size found, past the bound
};

// Plain words for the error about `path`: "cannot open P: <system's words>",
// "P is not a regular file", "P is too large (N bytes)", "cannot read P: ...".
std::string describe(const FileReadError& error, std::string_view path);

// The content of the regular file at `path` if it holds at most maxBytes
// bytes (an empty file gives an empty string).
Result<std::string, FileReadError> readFileBounded(const std::string& path, size_t maxBytes);

// The first maxBytes bytes of the regular file at `path`, and whether there
// was more: for a file whose start is worth having even when it is too large.
struct FileHead {
  std::string bytes;
  bool cut = false;
};
Result<FileHead, FileReadError> readFileHead(const std::string& path, size_t maxBytes);

}  // namespace jinro
