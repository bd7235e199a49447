// The checks that keep damaged or mistaken sound files away from the mixer.
#include "backends/sdl/sound_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "../../tools/soundgen/sound_writers.h"

namespace jinro::soundfile {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes tone(double seconds) {
  std::vector<float> s(size_t(seconds * 8000));
  for (size_t i = 0; i < s.size(); ++i) s[i] = float(0.5 * std::sin(i * 0.3));
  return soundgen::wavBytes(s, 8000);
}

Bytes song(int notes = 3) {
  soundgen::MidiSong m;
  m.tempo(0, 120);
  m.program(0, 0, 0);
  for (int i = 0; i < notes; ++i) m.note(uint32_t(i) * 240, 200, 0, 60 + i, 100);
  return m.bytes();
}

// The outcome of a check or a read in the shape these tests look at it:
// whether it passed, its reason in `why` ("" when it passed) and what it
// gave (nothing when it failed).
bool passes(const Result<void>& r, std::string& why) {
  why = r ? "" : r.error();
  return bool(r);
}
bool passes(Result<MidiInfo> r, MidiInfo& info, std::string& why) {
  why = r ? "" : r.error();
  info = r ? std::move(*r) : MidiInfo{};
  return bool(r);
}
bool passes(Result<std::string> r, Bytes& out, std::string& why) {
  why = r ? "" : r.error();
  out = r ? Bytes(r->begin(), r->end()) : Bytes{};
  return bool(r);
}

Bytes rmidAround(const Bytes& smf) {
  Bytes out = {'R', 'I', 'F', 'F'};
  soundgen::putLe(out, uint32_t(4 + 8 + smf.size()), 4);
  out.insert(out.end(), {'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'});
  soundgen::putLe(out, uint32_t(smf.size()), 4);
  out.insert(out.end(), smf.begin(), smf.end());
  return out;
}

TEST(SoundFile, KindComesFromTheBytes) {
  EXPECT_EQ(sniff(tone(0.1)), Kind::wave);
  EXPECT_EQ(sniff(song()), Kind::midi);
  EXPECT_EQ(sniff(rmidAround(song())), Kind::rmid);
  EXPECT_EQ(sniff(Bytes{'I', 'D', '3', 4, 0}), Kind::mp3);
  EXPECT_EQ(sniff(Bytes{0xFF, 0xFB, 0x90, 0x64}), Kind::mp3);
  EXPECT_EQ(sniff(Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}), Kind::unknown);
  EXPECT_EQ(sniff(Bytes{'<', 'h', 't', 'm', 'l', '>'}), Kind::unknown);
  EXPECT_EQ(sniff(Bytes{'M', 'T'}), Kind::unknown);
  EXPECT_EQ(sniff(Bytes{}), Kind::unknown);
}

TEST(SoundFile, WaveStructureIsChecked) {
  std::string why;
  EXPECT_TRUE(passes(checkWave(tone(0.1)), why)) << why;

  Bytes cut = tone(0.1);
  cut.resize(cut.size() - 100);
  EXPECT_FALSE(passes(checkWave(cut), why));
  EXPECT_NE(why.find("truncated"), std::string::npos) << why;

  Bytes header = tone(0.1);
  header.resize(30);  // inside the format chunk
  EXPECT_FALSE(passes(checkWave(header), why));
  EXPECT_NE(why.find("truncated"), std::string::npos) << why;

  Bytes empty = soundgen::wavBytes({}, 8000);
  EXPECT_FALSE(passes(checkWave(empty), why));
  EXPECT_NE(why.find("no sound data"), std::string::npos) << why;

  Bytes noChannels = tone(0.1);
  noChannels[22] = 0;
  EXPECT_FALSE(passes(checkWave(noChannels), why));

  // A chunk size near 4 GiB must not wrap the walk around.
  Bytes huge = tone(0.1);
  huge[16] = huge[17] = huge[18] = huge[19] = 0xFF;
  EXPECT_FALSE(passes(checkWave(huge), why));

  // Unknown chunks before the data are skipped, odd sizes padded.
  Bytes withList = tone(0.1);
  const Bytes list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  withList.insert(withList.begin() + 36, list.begin(), list.end());
  EXPECT_TRUE(passes(checkWave(withList), why)) << why;
}

TEST(SoundFile, MidiStructureIsChecked) {
  std::string why;
  MidiInfo info;
  EXPECT_TRUE(passes(checkMidi(song()), info, why)) << why;
  EXPECT_EQ(info.smf, song());

  // The SMF inside an RMID file is what the synthesiser gets.
  EXPECT_TRUE(passes(checkMidi(rmidAround(song())), info, why)) << why;
  EXPECT_EQ(info.smf, song());

  Bytes cut = song();
  cut.resize(cut.size() - 6);
  EXPECT_FALSE(passes(checkMidi(cut), info, why));
  EXPECT_NE(why.find("truncated"), std::string::npos) << why;
  EXPECT_TRUE(info.smf.empty());

  Bytes twoTracks = song();
  twoTracks[11] = 2;  // the header promises a second track that is not there
  EXPECT_FALSE(passes(checkMidi(twoTracks), info, why));
  EXPECT_NE(why.find("truncated"), std::string::npos) << why;

  Bytes noTracks = song();
  noTracks[11] = 0;
  EXPECT_FALSE(passes(checkMidi(noTracks), info, why));

  // A track chunk whose length is right but whose last event is cut: the
  // length is shortened so that it ends inside a note-on.
  Bytes midEvent = song();
  midEvent.resize(midEvent.size() - 4 - 2);  // end-of-track and two bytes of the last note-off
  midEvent[21] = uint8_t(midEvent[21] - 6);
  EXPECT_FALSE(passes(checkMidi(midEvent), info, why));
  EXPECT_NE(why.find("middle of an event"), std::string::npos) << why;

  // Data bytes where a status byte must be.
  Bytes noStatus = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 60, 100, 0};
  EXPECT_FALSE(passes(checkMidi(noStatus), info, why));

  Bytes rmidCut = rmidAround(song());
  rmidCut.resize(rmidCut.size() - 10);
  EXPECT_FALSE(passes(checkMidi(rmidCut), info, why));
  EXPECT_NE(why.find("truncated"), std::string::npos) << why;
}

TEST(SoundFile, MidiLengthFollowsTheTempoMap) {
  std::string why;
  MidiInfo info;
  // Three notes, the last one off at tick 680 of 480 a beat, at 120 a minute.
  ASSERT_TRUE(passes(checkMidi(song()), info, why)) << why;
  EXPECT_NEAR(info.seconds, 680.0 / 480 * 0.5, 1e-9);

  // Two beats at 60, then the tempo doubles for two more beats.
  soundgen::MidiSong m;
  m.tempo(0, 60);
  m.tempo(960, 120);
  m.note(0, 1920, 0, 60, 100);
  ASSERT_TRUE(passes(checkMidi(m.bytes()), info, why)) << why;
  EXPECT_NEAR(info.seconds, 2.0 + 1.0, 1e-9);

  // No tempo at all: 120 a minute. SMPTE time: 25 frames of 40 ticks.
  soundgen::MidiSong plain;
  plain.note(0, 960, 0, 60, 100);
  Bytes smpte = plain.bytes();
  ASSERT_TRUE(passes(checkMidi(smpte), info, why)) << why;
  EXPECT_NEAR(info.seconds, 1.0, 1e-9);
  smpte[12] = uint8_t(-25);
  smpte[13] = 40;
  ASSERT_TRUE(passes(checkMidi(smpte), info, why)) << why;
  EXPECT_NEAR(info.seconds, 960.0 / 1000, 1e-9);
}

TEST(SoundFile, ReadingRefusesWhatIsNotAPlainFile) {
  namespace fs = std::filesystem;
  char tmpl[] = "/tmp/jinro-soundfile-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl;
  Bytes out;
  std::string why;

  EXPECT_FALSE(passes(readFile(dir + "/missing.wav", 1 << 20), out, why));
  EXPECT_NE(why.find("cannot open"), std::string::npos) << why;
  EXPECT_FALSE(passes(readFile("", 1 << 20), out, why));
  EXPECT_FALSE(passes(readFile(dir, 1 << 20), out, why));  // a directory
  EXPECT_NE(why.find("not a regular file"), std::string::npos) << why;

  // A FIFO with no writer must not block the program.
  const std::string fifo = dir + "/pipe.wav";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(passes(readFile(fifo, 1 << 20), out, why));

  soundgen::writeFile(dir + "/big.wav", tone(1.0));
  EXPECT_FALSE(passes(readFile(dir + "/big.wav", 1000), out, why));
  EXPECT_NE(why.find("too large"), std::string::npos) << why;
  EXPECT_TRUE(passes(readFile(dir + "/big.wav", 1 << 20), out, why)) << why;
  EXPECT_EQ(out, tone(1.0));

  soundgen::writeFile(dir + "/empty.wav", {});
  EXPECT_FALSE(passes(readFile(dir + "/empty.wav", 1 << 20), out, why));

  // Settings hold UTF-8 paths; a file named in Shift_JIS bytes is found too.
  soundgen::writeFile(dir + "/\xE9\xB3\xA5.wav", tone(0.1));  // 鳥.wav in UTF-8
  EXPECT_TRUE(passes(readFile(dir + "/\xE9\xB3\xA5.wav", 1 << 20), out, why)) << why;
  soundgen::writeFile(dir + "/\x8B\x9B.wav", tone(0.1));  // 魚.wav in Shift_JIS
  EXPECT_TRUE(passes(readFile(dir + "/\xE9\xAD\x9A.wav", 1 << 20), out, why)) << why;  // 魚.wav in UTF-8
  EXPECT_FALSE(passes(readFile(dir + "/\xE9\xAD\x9A\xF0\x9F\x90\x9F.wav", 1 << 20), out, why));  // no Shift_JIS spelling

  fs::remove_all(dir);
}

}  // namespace
}  // namespace jinro::soundfile
