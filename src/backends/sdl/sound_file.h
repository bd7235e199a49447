#pragma once
// Reading and checking sound files before they reach the mixer: what a file
// is comes from its first bytes, and its structure is walked so that a
// truncated or damaged file is refused with a reason instead of playing
// garbage, nothing, or ending at once (which would make a repeating alarm spin).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace jinro::soundfile {

enum class Kind { unknown, wave, mp3, midi, rmid };

// A file's bytes as the checks take them, from a vector or a read file.
using ByteSpan = std::span<const uint8_t>;
inline ByteSpan bytesOf(std::string_view s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

// What the first bytes say; nothing more is checked.
Kind sniff(ByteSpan bytes);

// Reads a regular file of at most maxBytes bytes through readFileBounded
// (base/bounded_file.h): never blocks on FIFOs or devices. A path that does
// not exist as given and holds non-ASCII characters is tried once more in
// Shift_JIS (settings hold UTF-8 paths, but a file copied from elsewhere may
// be named in the bytes jinro.ini's encoding gives). An empty path or an
// empty file is refused.
Result<std::string> readFile(const std::string& path, size_t maxBytes);

// The Shift_JIS spelling of a UTF-8 path that holds non-ASCII characters;
// nothing when the path is ASCII, or Shift_JIS cannot spell it exactly.
std::optional<std::string> utf8PathAsShiftJis(const std::string& path);

// RIFF/WAVE: a "fmt " chunk of at least 16 bytes with channels, rate and
// bits set, and a non-empty "data" chunk wholly inside the file.
Result<void> checkWave(ByteSpan bytes);

struct MidiInfo {
  std::vector<uint8_t> smf;  // the Standard MIDI data itself
  double seconds = 0;        // when its last event is due, by its tempo map
};

// Standard MIDI file (or the SMF inside a RIFF/RMID): a header with at least
// one track, every track chunk inside the file and every event of it well
// formed.
Result<MidiInfo> checkMidi(ByteSpan bytes);

}  // namespace jinro::soundfile
