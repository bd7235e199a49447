// The sound file checks on arbitrary bytes: what the first bytes say, and the
// WAV and MIDI structure walks. A file they accept is of the kind they
// check, and a MIDI file's length is a finite, non-negative number of seconds.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "backends/sdl/sound_file.h"

namespace {

void fail(const char* what) {
  std::fprintf(stderr, "sound file: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using jinro::soundfile::Kind;
  const std::vector<uint8_t> bytes(data, data + size);
  const Kind kind = jinro::soundfile::sniff(bytes);

  const jinro::Result<void> wave = jinro::soundfile::checkWave(bytes);
  if (wave) {
    if (kind != Kind::wave) fail("a WAV file that does not sniff as one");
  } else if (wave.error().empty()) {
    fail("a refused WAV file without a reason");
  }

  // A refused MIDI file leaves no data behind: its Result holds none.
  const jinro::Result<jinro::soundfile::MidiInfo> midi = jinro::soundfile::checkMidi(bytes);
  if (midi) {
    const jinro::soundfile::MidiInfo& info = *midi;
    if (kind != Kind::midi && kind != Kind::rmid) fail("a MIDI file that does not sniff as one");
    if (!std::isfinite(info.seconds) || info.seconds < 0) fail("a MIDI length that is not a number of seconds");
    if (info.smf.size() < 14 || info.smf.size() > bytes.size()) fail("MIDI data of a strange size");
  } else if (midi.error().empty()) {
    fail("a refused MIDI file without a reason");
  }
  return 0;
}
