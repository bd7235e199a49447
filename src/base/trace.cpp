#include "base/trace.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace jinro {

namespace {

std::atomic<bool> gArmed{false};
static_assert(std::atomic<bool>::is_always_lock_free);

char* append(char* at, const char* end, std::string_view s) {
  const size_t n = std::min<size_t>({s.size(), 64, size_t(end - at)});
  std::memcpy(at, s.data(), n);
  return at + n;
}

}  // namespace

bool traceEnabled() {
  static const bool enabled = [] {
    const char* v = std::getenv("JINRO_TRACE");
    return v && std::strcmp(v, "1") == 0;
  }();
  return enabled;
}

void traceMark(const char* stage, std::string_view detail) {
  if (!traceEnabled()) return;
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ns = uint64_t(ts.tv_sec) * 1000000000u + uint64_t(ts.tv_nsec);
  char line[200];
  char* const end = line + sizeof line - 1;  // room for the newline
  char* at = append(line, end, "jinro-trace ");
  at = append(at, end, stage ? std::string_view(stage) : std::string_view("?"));
  at = append(at, end, " ");
  char digits[24];
  char* d = digits + sizeof digits;
  uint64_t v = ns;
  do {
    *--d = char('0' + v % 10);
    v /= 10;
  } while (v != 0);
  at = append(at, end, std::string_view(d, size_t(digits + sizeof digits - d)));
  if (!detail.empty()) {
    at = append(at, end, " ");
    at = append(at, end, detail);
  }
  *at++ = '\n';
  // A trace line that cannot be written is not worth a retry.
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, size_t(at - line));
}

void traceArmFirstSound() {
  if (traceEnabled()) gArmed.store(true, std::memory_order_relaxed);
}

void traceFirstSound(const int16_t* samples, size_t count) {
  if (!gArmed.load(std::memory_order_relaxed)) return;
  for (size_t i = 0; i < count; ++i) {
    if (samples[i] != 0) {
      if (gArmed.exchange(false, std::memory_order_relaxed)) traceMark("first-audio");
      return;
    }
  }
}

}  // namespace jinro
