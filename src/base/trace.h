#pragma once
// Marks on the way from a loaded page to the first sound of its alarm, read by
// bench/page_to_sound.sh. Silent unless the environment has JINRO_TRACE=1
// (read once). When on, each mark is one line on stderr,
//   jinro-trace <stage> <CLOCK_MONOTONIC nanoseconds>[ <detail>]
// written by a single write(2) from a buffer on the stack: safe on the audio
// thread, and lines from different threads never interleave.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace jinro {

bool traceEnabled();

// The stage and the detail are cut to 64 bytes each.
void traceMark(const char* stage, std::string_view detail = {});

// The sound device calls this when it starts a play: the next mixed buffer
// that carries any sound is marked "first-audio", once.
void traceArmFirstSound();
// Audio thread, on every mixed buffer: nothing but a flag test unless armed.
void traceFirstSound(const int16_t* samples, size_t count);

}  // namespace jinro
