#pragma once
// Reading and checking sound files before they reach the mixer: what a file
// is comes from its first bytes, and its structure is walked so that a
// truncated or damaged file is refused with a reason instead of playing
// garbage, nothing, or ending at once (which would make a repeating alarm spin).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jinro::soundfile {

enum class Kind { unknown, wave, mp3, midi, rmid };

// What the first bytes say; nothing more is checked.
Kind sniff(const std::vector<uint8_t>& bytes);

// Reads a regular file of at most maxBytes bytes. Never blocks on FIFOs or
// devices. A path that does not exist as given and holds non-ASCII bytes is
// tried once more converted from Shift_JIS to UTF-8 (settings hold Shift_JIS
// paths; the file system names files in UTF-8).
bool readFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out, std::string& why);

// RIFF/WAVE: a "fmt " chunk of at least 16 bytes with channels, rate and
// bits set, and a non-empty "data" chunk wholly inside the file.
bool checkWave(const std::vector<uint8_t>& bytes, std::string& why);

struct MidiInfo {
  std::vector<uint8_t> smf;  // the Standard MIDI data itself
  double seconds = 0;        // when its last event is due, by its tempo map
};

// Standard MIDI file (or the SMF inside a RIFF/RMID): a header with at least
// one track, every track chunk inside the file and every event of it well
// formed. Fills info on success.
bool checkMidi(const std::vector<uint8_t>& bytes, MidiInfo& info, std::string& why);

}  // namespace jinro::soundfile
