#include "backends/sdl/sound_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/bounded_file.h"
#include "base/code_page.h"

namespace jinro::soundfile {
namespace {

bool tagAt(ByteSpan b, size_t pos, const char* tag) {
  return pos + 4 <= b.size() && std::memcmp(b.data() + pos, tag, 4) == 0;
}
uint32_t le32(ByteSpan b, size_t p) {
  return b[p] | (b[p + 1] << 8) | (b[p + 2] << 16) | (uint32_t(b[p + 3]) << 24);
}
uint16_t le16(ByteSpan b, size_t p) { return uint16_t(b[p] | (b[p + 1] << 8)); }
uint32_t be32(ByteSpan b, size_t p) {
  return (uint32_t(b[p]) << 24) | (b[p + 1] << 16) | (b[p + 2] << 8) | b[p + 3];
}
uint16_t be16(ByteSpan b, size_t p) { return uint16_t((b[p] << 8) | b[p + 1]); }

// A top-level RIFF sub-chunk: where its body starts and the size its header
// claims.
struct RiffChunk {
  size_t body = 0;
  uint32_t size = 0;
  bool cut = false;  // the body runs past the end of the file
};

// Why there is no chunk of a tag: the walk met the file's end without it
// (absent), or a chunk before it runs past the end (truncated).
enum class NoChunk { absent, truncated };

Result<RiffChunk, NoChunk> findRiffChunk(ByteSpan b, const char* tag) {
  size_t pos = 12;
  while (pos + 8 <= b.size()) {
    const uint32_t len = le32(b, pos + 4);
    const size_t start = pos + 8;
    if (tagAt(b, pos, tag)) return RiffChunk{start, len, uint64_t(start) + len > b.size()};
    const uint64_t next = uint64_t(start) + len + (len & 1);
    if (next > b.size()) return NoChunk::truncated;
    pos = size_t(next);
  }
  // A few stray bytes: a chunk header cut short.
  return pos < b.size() ? NoChunk::truncated : NoChunk::absent;
}

// Whether a chunk that is missing or cut was cut by the file's end.
bool truncated(const Result<RiffChunk, NoChunk>& chunk) {
  return chunk ? chunk->cut : chunk.error() == NoChunk::truncated;
}

// A variable-length quantity of a MIDI file, at most four bytes, read at pos
// (moved past it); nothing when it runs past `end` or on.
std::optional<uint32_t> readVlq(ByteSpan b, size_t& pos, size_t end) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos >= end) return std::nullopt;
    const uint8_t c = b[pos++];
    value = (value << 7) | (c & 0x7F);
    if (!(c & 0x80)) return value;
  }
  return std::nullopt;
}

struct TempoChange {
  uint64_t tick;
  uint32_t microsPerQuarter;
};

// Walks one track's events: its length in ticks, its tempo changes added to
// tempos.
Result<uint64_t> checkTrack(ByteSpan b, size_t pos, size_t end, std::vector<TempoChange>& tempos) {
  const auto cut = [] { return fail("a MIDI track ends in the middle of an event"); };
  uint8_t status = 0;  // running status, 0 when none may be used
  uint64_t tick = 0;
  uint64_t endTick = 0;
  while (pos < end) {
    const std::optional<uint32_t> delta = readVlq(b, pos, end);
    if (!delta || pos >= end) return cut();
    tick += *delta;
    endTick = tick;
    uint8_t c = b[pos];
    if (c & 0x80) {
      ++pos;
    } else if (status == 0) {
      return fail("a MIDI event has no status byte");
    } else {
      c = status;
    }
    if (c == 0xFF) {
      if (pos >= end) return cut();
      const uint8_t type = b[pos++];
      const std::optional<uint32_t> len = readVlq(b, pos, end);
      if (!len || *len > end - pos) return cut();
      if (type == 0x51 && *len == 3) tempos.push_back({tick, uint32_t(b[pos] << 16 | b[pos + 1] << 8 | b[pos + 2])});
      pos += *len;
      status = 0;
      if (type == 0x2F) return endTick;  // end of track
    } else if (c == 0xF0 || c == 0xF7) {
      const std::optional<uint32_t> len = readVlq(b, pos, end);
      if (!len || *len > end - pos) return cut();
      pos += *len;
      status = 0;
    } else if (c >= 0xF0) {
      return fail("a MIDI track holds a system message that files may not hold");
    } else {
      const size_t data = (c & 0xF0) == 0xC0 || (c & 0xF0) == 0xD0 ? 1 : 2;
      if (end - pos < data) return cut();
      for (size_t i = 0; i < data; ++i) {
        if (b[pos + i] & 0x80) {
          return fail("a MIDI event is cut short by another");
        }
      }
      pos += data;
      status = c;
    }
  }
  // The chunk ended after a whole event but without an end-of-track event;
  // players accept that.
  return endTick;
}

// Seconds from the start to `tick`, through the tempo changes (sorted).
double ticksToSeconds(uint64_t tick, uint16_t division, const std::vector<TempoChange>& tempos) {
  if (division & 0x8000) {  // SMPTE: frames per second and ticks per frame
    const int fps = -int(int8_t(division >> 8));
    const double rate = (fps == 29 ? 29.97 : fps) * (division & 0xFF);
    return rate > 0 ? double(tick) / rate : 0;
  }
  double seconds = 0;
  uint64_t at = 0;
  uint32_t tempo = 500000;  // 120 beats a minute until told otherwise
  for (const TempoChange& t : tempos) {
    if (t.tick >= tick) break;
    seconds += double(t.tick - at) * tempo / 1e6 / division;
    at = t.tick;
    tempo = t.microsPerQuarter;
  }
  return seconds + double(tick - at) * tempo / 1e6 / division;
}

// How long the song lasts: when its last event is due.
Result<double> checkSmf(ByteSpan b) {
  if (b.size() < 14 || !tagAt(b, 0, "MThd")) {
    return fail("the MIDI header is missing or cut short");
  }
  const uint32_t headerLen = be32(b, 4);
  if (headerLen < 6 || uint64_t(8) + headerLen > b.size()) {
    return fail("the MIDI header is damaged");
  }
  const uint16_t format = be16(b, 8);
  const uint16_t tracks = be16(b, 10);
  const uint16_t division = be16(b, 12);
  if (format > 2 || tracks == 0 || division == 0) {
    return fail("the MIDI header is damaged (format, track count or time division)");
  }
  size_t pos = 8 + headerLen;
  std::vector<TempoChange> tempos;
  uint64_t songEnd = 0;
  for (unsigned found = 0; found < tracks;) {
    if (pos + 8 > b.size()) {
      return fail("the MIDI file is truncated: " + std::to_string(tracks - found) + " of its " +
                  std::to_string(tracks) + " tracks are missing");
    }
    const uint32_t len = be32(b, pos + 4);
    const size_t body = pos + 8;
    if (uint64_t(body) + len > b.size()) {
      return fail("the MIDI file is truncated: a track runs past the end of the file");
    }
    if (tagAt(b, pos, "MTrk")) {
      Result<uint64_t> trackEnd = checkTrack(b, body, body + len, tempos);
      if (!trackEnd) return fail(trackEnd.error());
      songEnd = std::max(songEnd, *trackEnd);
      ++found;
    }
    pos = body + len;  // chunks of other kinds are skipped
  }
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const TempoChange& x, const TempoChange& y) { return x.tick < y.tick; });
  return ticksToSeconds(songEnd, division, tempos);
}

}  // namespace

Kind sniff(ByteSpan b) {
  if (tagAt(b, 0, "RIFF") && tagAt(b, 8, "WAVE")) return Kind::wave;
  if (tagAt(b, 0, "RIFF") && tagAt(b, 8, "RMID")) return Kind::rmid;
  if (tagAt(b, 0, "MThd")) return Kind::midi;
  if (b.size() >= 3 && std::memcmp(b.data(), "ID3", 3) == 0) return Kind::mp3;
  // An MPEG audio frame header: 11 sync bits, layer not 0, bitrate not 15.
  if (b.size() >= 4 && b[0] == 0xFF && (b[1] & 0xE0) == 0xE0 && (b[1] & 0x06) != 0 && (b[2] & 0xF0) != 0xF0)
    return Kind::mp3;
  return Kind::unknown;
}

std::optional<std::string> utf8PathAsShiftJis(const std::string& path) {
  bool ascii = true;
  for (unsigned char c : path) ascii = ascii && c < 0x80;
  if (ascii) return std::nullopt;
  std::string shiftJis = utf8ToShiftJis(path);
  if (shiftJis == path || shiftJisToUtf8(shiftJis) != path) return std::nullopt;
  return shiftJis;
}

Result<std::string> readFile(const std::string& path, size_t maxBytes) {
  if (path.empty()) return fail("no sound file is set");
  Result<std::string, FileReadError> content = readFileBounded(path, maxBytes);
  if (!content && content.error().fault == FileReadFault::missing) {
    if (std::optional<std::string> shiftJis = utf8PathAsShiftJis(path)) {
      content = readFileBounded(*shiftJis, maxBytes);
      // Told as the path the settings gave, which is the one missing.
      if (!content && (content.error().fault == FileReadFault::missing ||
                       content.error().fault == FileReadFault::cannotOpen))
        content = FileReadError{FileReadFault::missing, ENOENT};
    }
  }
  if (!content) {
    const FileReadError& e = content.error();
    if (e.fault == FileReadFault::tooLarge)
      return fail(path + " is too large for a sound file (" + std::to_string(e.size) + " bytes)");
    return fail(describe(e, path));
  }
  if (content->empty()) return fail(path + " is empty");
  return std::move(*content);
}

Result<void> checkWave(ByteSpan b) {
  if (b.size() < 12 || !tagAt(b, 0, "RIFF") || !tagAt(b, 8, "WAVE")) {
    return fail("not a RIFF/WAVE file");
  }
  const Result<RiffChunk, NoChunk> format = findRiffChunk(b, "fmt ");
  if (!format || format->cut || format->size < 16) {
    return fail(truncated(format) ? "the WAV file is truncated before its format"
                                  : "the WAV file has no usable format chunk");
  }
  const size_t f = format->body;
  const uint16_t channels = le16(b, f + 2);
  const uint32_t rate = le32(b, f + 4);
  const uint16_t bits = le16(b, f + 14);
  if (channels == 0 || rate == 0 || bits == 0) {
    return fail("the WAV file's format is damaged (no channels, rate or sample size)");
  }
  const Result<RiffChunk, NoChunk> data = findRiffChunk(b, "data");
  if (!data) {
    return fail(truncated(data) ? "the WAV file is truncated before its sound data" : "the WAV file has no sound data");
  }
  if (data->cut) {
    return fail("the WAV file is truncated: its sound data claims " + std::to_string(data->size) + " bytes, " +
                std::to_string(b.size() - data->body) + " are there");
  }
  if (data->size == 0) {
    return fail("the WAV file has no sound data");
  }
  return {};
}

Result<MidiInfo> checkMidi(ByteSpan b) {
  std::vector<uint8_t> smf;
  if (tagAt(b, 0, "RIFF") && tagAt(b, 8, "RMID")) {
    const Result<RiffChunk, NoChunk> data = findRiffChunk(b, "data");
    if (!data || data->cut) {
      return fail(truncated(data) ? "the RMID file is truncated" : "the RMID file holds no MIDI data");
    }
    smf.assign(b.begin() + data->body, b.begin() + data->body + data->size);
  } else {
    smf.assign(b.begin(), b.end());
  }
  Result<double> seconds = checkSmf(smf);
  if (!seconds) return fail(seconds.error());
  return MidiInfo{std::move(smf), *seconds};
}

}  // namespace jinro::soundfile
