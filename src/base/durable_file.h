#pragma once
// Replacing a whole file so that a crash, a kill or a full disk leaves either
// the old content or the new one, never a mix, and checking beforehand that
// such a replacement can succeed.
#include <sys/types.h>

#include <string>
#include <string_view>

#include "base/result.h"

namespace jinro {

struct DurableWriteOptions {
  // Permission bits of a file that did not exist yet, less the process umask
  // (as open(2) would apply it). An existing file keeps its own bits.
  mode_t newFileMode = 0644;
  // Wait until the content is on the disk. A scratch file that may be lost
  // in a power failure (a log written again each day) need not: it is still
  // replaced whole, never seen half written.
  bool flush = true;
};

// Replaces the file at path with bytes: writes them to a temporary file in the
// same folder (one without a name until it is complete, where the filesystem
// allows), flushes it to the disk and renames it over the target. An existing
// target keeps its permission bits, and its owner where we may give it away. A
// symbolic link is written through: the file it names is replaced, the link
// stays. A target that exists but is not a regular file is refused. On failure
// the old file is untouched, no temporary is left, and the reason names what
// failed ("cannot write /x/jinro.ini: No space left on device").
//
// Two processes replacing the same file each get a whole file in; the last
// rename wins. Callers that read, change and write back must take turns
// themselves.
// The file a symbolic link names (the path itself when it is no link): a
// save writes through the link and keeps it.
std::string throughLink(const std::string& path);

Result<void> writeFileDurably(const std::string& path, std::string_view bytes, DurableWriteOptions options = {});

// Whether writeFileDurably could replace the file at path now: the file is
// absent or regular, and its folder takes a new file as large as the current
// one plus 4096 bytes, flushed to the disk. Leaves the file and its folder as
// they were, even when the process is killed meanwhile, wherever the
// filesystem has nameless files.
Result<void> probeReplaceable(const std::string& path);

// The folder of a file's path: "." for a bare name, "/" for one at the root.
std::string directoryOf(const std::string& path);

}  // namespace jinro
