#pragma once
// Writers of the two file formats the client's alarms use: 16-bit PCM WAV and
// Standard MIDI (format 0). Shared by the sound generator and the sound tests.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace soundgen {

inline void putLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
inline void putBe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
}

// Samples in [-1, 1] to a mono 16-bit RIFF/WAVE file.
inline std::vector<uint8_t> wavBytes(const std::vector<float>& samples, uint32_t rate) {
  std::vector<uint8_t> out;
  const uint32_t dataBytes = uint32_t(samples.size() * 2);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  putLe(out, 36 + dataBytes, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  putLe(out, 16, 4);
  putLe(out, 1, 2);         // PCM
  putLe(out, 1, 2);         // mono
  putLe(out, rate, 4);
  putLe(out, rate * 2, 4);  // bytes per second
  putLe(out, 2, 2);         // block align
  putLe(out, 16, 2);        // bits
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  putLe(out, dataBytes, 4);
  for (float s : samples) {
    const float c = std::clamp(s, -1.0f, 1.0f);
    putLe(out, uint32_t(uint16_t(int16_t(std::lround(c * 32767.0f)))), 2);
  }
  return out;
}

// A format-0 MIDI file built from notes and controller events on a tick grid.
class MidiSong {
 public:
  explicit MidiSong(uint16_t ticksPerQuarter = 480) : tpq_(ticksPerQuarter) {}

  uint16_t tpq() const { return tpq_; }
  void tempo(uint32_t tick, double bpm) {
    const uint32_t us = uint32_t(std::lround(60'000'000.0 / bpm));
    add(tick, 0, {0xFF, 0x51, 0x03, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
  }
  void program(uint32_t tick, int channel, int program) { add(tick, 1, {uint8_t(0xC0 | channel), uint8_t(program)}); }
  void control(uint32_t tick, int channel, int cc, int value) {
    add(tick, 1, {uint8_t(0xB0 | channel), uint8_t(cc), uint8_t(value)});
  }
  void note(uint32_t tick, uint32_t length, int channel, int key, int velocity) {
    add(tick, 3, {uint8_t(0x90 | channel), uint8_t(key), uint8_t(velocity)});
    add(tick + length, 2, {uint8_t(0x80 | channel), uint8_t(key), 0x40});
  }
  void name(const std::string& text) {
    std::vector<uint8_t> e = {0xFF, 0x03, uint8_t(text.size())};
    e.insert(e.end(), text.begin(), text.end());
    add(0, 0, e);
  }

  std::vector<uint8_t> bytes() const {
    auto events = events_;
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
      return std::tie(a.tick, a.order) < std::tie(b.tick, b.order);
    });
    std::vector<uint8_t> track;
    uint32_t now = 0;
    for (const Event& e : events) {
      putVlq(track, e.tick - now);
      now = e.tick;
      track.insert(track.end(), e.data.begin(), e.data.end());
    }
    putVlq(track, 0);
    track.insert(track.end(), {0xFF, 0x2F, 0x00});

    std::vector<uint8_t> out = {'M', 'T', 'h', 'd'};
    putBe(out, 6, 4);
    putBe(out, 0, 2);  // format 0
    putBe(out, 1, 2);  // one track
    putBe(out, tpq_, 2);
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    putBe(out, uint32_t(track.size()), 4);
    out.insert(out.end(), track.begin(), track.end());
    return out;
  }

 private:
  struct Event {
    uint32_t tick;
    int order;  // at one tick: meta, then programs, then note-offs, then note-ons
    std::vector<uint8_t> data;
  };
  void add(uint32_t tick, int order, std::vector<uint8_t> data) { events_.push_back({tick, order, std::move(data)}); }
  static void putVlq(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t buf[5];
    int n = 0;
    buf[n++] = uint8_t(v & 0x7F);
    while (v >>= 7) buf[n++] = uint8_t(0x80 | (v & 0x7F));
    while (n) out.push_back(buf[--n]);
  }

  uint16_t tpq_;
  std::vector<Event> events_;
};

inline bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(f);
}

}  // namespace soundgen
