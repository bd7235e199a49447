// The SDL sound device and the alarm player on it, with real mixing: SDL's
// dummy driver consumes the sound in real time and a post-mix tap measures it.
#include "backends/sdl/sdl_sound_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#include "../../tools/soundgen/sound_writers.h"
#include "base/executable_dir.h"
#include "client/alarm_player.h"

namespace jinro {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Loudness of what the mixer produced since the last reset.
class Meter {
 public:
  void add(const int16_t* s, size_t n) {
    std::lock_guard lock(m_);
    for (size_t i = 0; i < n; ++i) sum_ += double(s[i]) * s[i];
    count_ += n;
  }
  void reset() {
    std::lock_guard lock(m_);
    sum_ = 0;
    count_ = 0;
  }
  double rms() {
    std::lock_guard lock(m_);
    return count_ ? std::sqrt(sum_ / double(count_)) / 32768.0 : 0.0;
  }
  size_t samples() {
    std::lock_guard lock(m_);
    return count_;
  }

 private:
  std::mutex m_;
  double sum_ = 0;
  size_t count_ = 0;
};

using Notice = PlayEndNotice;

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/jinro-sound-XXXXXX";
    path_ = mkdtemp(tmpl) ? tmpl : "/tmp";
  }
  ~TempDir() {
    std::error_code ec;
    if (path_ != "/tmp") fs::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// An id the device never gives in these tests: calls on it do nothing.
constexpr SoundId kNoSound(0xFFFFFFFF);

// The id of an open that should succeed; kNoSound, with a failure, when it did not.
SoundId opened(const Result<SoundId>& r) {
  EXPECT_TRUE(r) << r.error();
  return r ? *r : kNoSound;
}

// Why an open that should fail failed; a failure and "" when it opened.
std::string refusal(const Result<SoundId>& r) {
  EXPECT_FALSE(r) << "opened as device " << r->value();
  return r ? std::string() : r.error();
}

// A plain tone, loud enough to measure (its RMS is amplitude / sqrt 2).
std::string writeTone(const TempDir& dir, const std::string& name, double seconds, double freq = 440,
                      double amplitude = 0.5) {
  const uint32_t rate = 22050;
  std::vector<float> s(size_t(seconds * rate));
  for (size_t i = 0; i < s.size(); ++i) s[i] = float(amplitude * std::sin(2 * M_PI * freq * double(i) / rate));
  const std::string path = dir / name;
  soundgen::writeFile(path, soundgen::wavBytes(s, rate));
  return path;
}

// Half a second of glockenspiel chord, whose sound dies away over seconds.
std::string writeShortSong(const TempDir& dir, const std::string& name) {
  soundgen::MidiSong m;
  m.tempo(0, 120);
  m.program(0, 0, 9);
  for (int k : {60, 64, 67}) m.note(0, 480, 0, k, 120);  // half a second
  const std::string path = dir / name;
  soundgen::writeFile(path, m.bytes());
  return path;
}

class SdlSoundDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    dev = std::make_unique<SdlSoundDevice>();
    dev->setEndHandler([this](SoundId id, PlayEnd end) {
      notices.push_back({id, end});
      if (onNotice) onNotice();
    });
    dev->setWakeup([this] { ++wakeups; });
    dev->setMixTap([this](const int16_t* s, size_t n) { meter.add(s, n); });
  }
  void TearDown() override { dev.reset(); }

  // Runs the main loop's part: pumps notices until `done` or the time is up.
  template <typename Pred>
  bool pumpUntil(Pred done, std::chrono::milliseconds limit = 8000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      dev->pumpNotices();
      if (done()) return true;
      std::this_thread::sleep_for(5ms);
    }
    dev->pumpNotices();
    return done();
  }
  void pumpFor(std::chrono::milliseconds d) {
    pumpUntil([] { return false; }, d);
  }
  // Loudness of the next stretch of mixed sound, counted in samples the
  // mixer produced (not in wall time, which a busy machine stretches).
  double loudnessOver(std::chrono::milliseconds d) {
    waitForAudio(d);
    return meter.rms();
  }
  void waitForAudio(std::chrono::milliseconds d) {
    const size_t want = size_t(d.count()) * 44100 * 2 / 1000;
    meter.reset();
    EXPECT_TRUE(pumpUntil([&] { return meter.samples() >= want; }, 20000ms)) << "the mixer stalled";
  }
  size_t count(PlayEnd end, SoundId id) const {
    size_t n = 0;
    for (const Notice& x : notices) n += x.end == end && x.sound == id;
    return n;
  }

  TempDir dir;
  std::unique_ptr<SdlSoundDevice> dev;
  std::vector<Notice> notices;
  std::function<void()> onNotice;
  std::atomic<int> wakeups{0};
  Meter meter;
};

TEST_F(SdlSoundDeviceTest, FilesOfTheWrongKindDamagedOrMissingDoNotOpen) {
  const std::string wav = writeTone(dir, "tone.mid", 0.2);  // the name lies: it is a WAV
  const std::string mid = writeShortSong(dir, "song.wav");  // and this one is MIDI

  EXPECT_NE(refusal(dev->open(SoundKind::midi, wav)).find("WAV file"), std::string::npos);
  EXPECT_NE(refusal(dev->open(SoundKind::wave, mid)).find("MIDI file"), std::string::npos);

  const SoundId a = opened(dev->open(SoundKind::wave, wav));
  const SoundId b = opened(dev->open(SoundKind::midi, mid));
  EXPECT_NE(a, b);

  // MP3 (as the sound file chooser offers it): forty silent frames.
  std::vector<uint8_t> mp3;
  for (int i = 0; i < 40; ++i) {
    mp3.insert(mp3.end(), {0xFF, 0xFB, 0x90, 0xC4});  // MPEG-1 layer III, 128 kbit/s, 44.1 kHz, mono
    mp3.resize(mp3.size() + 413, 0);
  }
  soundgen::writeFile(dir / "quiet.mp3", mp3);
  opened(dev->open(SoundKind::wave, dir / "quiet.mp3"));
  EXPECT_NE(refusal(dev->open(SoundKind::midi, dir / "quiet.mp3")), "");

  EXPECT_NE(refusal(dev->open(SoundKind::wave, dir / "missing.wav")).find("cannot open"), std::string::npos);

  // Garbage, a cut WAV and a cut MIDI file: refused with the reason.
  soundgen::writeFile(dir / "garbage.wav", {'<', 'h', 't', 'm', 'l', '>', 0, 1, 2, 3, 4, 5});
  EXPECT_NE(refusal(dev->open(SoundKind::wave, dir / "garbage.wav")).find("not a sound file"), std::string::npos);
  auto truncate = [](const std::string& path, size_t keep) { fs::resize_file(path, keep); };
  truncate(wav, fs::file_size(wav) / 2);
  EXPECT_NE(refusal(dev->open(SoundKind::wave, wav)).find("truncated"), std::string::npos);
  truncate(mid, fs::file_size(mid) - 5);
  EXPECT_NE(refusal(dev->open(SoundKind::midi, mid)).find("truncated"), std::string::npos);

  // Commands to ids never given do nothing.
  for (SoundId id : {SoundId(9999), kNoSound}) {
    dev->play(id, true);
    dev->stop(id);
    dev->close(id);
  }
  dev->pumpNotices();
  EXPECT_TRUE(notices.empty());
}

TEST_F(SdlSoundDeviceTest, WavePlaysToItsEndAndReportsSuccess) {
  const SoundId id = opened(dev->open(SoundKind::wave, writeTone(dir, "tone.wav", 0.4)));
  ASSERT_NE(id, kNoSound);
  dev->play(id, true);
  EXPECT_GT(loudnessOver(150ms), 0.1);  // the tone's RMS is 0.35
  ASSERT_TRUE(pumpUntil([&] { return !notices.empty(); }));
  EXPECT_EQ(notices, (std::vector<Notice>{{id, PlayEnd::finished}}));
  EXPECT_GT(wakeups.load(), 0);
  EXPECT_LT(loudnessOver(100ms), 0.001);

  // Played again from the start, once, without a notice.
  dev->play(id, false);
  EXPECT_GT(loudnessOver(150ms), 0.1);
  waitForAudio(500ms);
  EXPECT_EQ(notices.size(), 1u);
}

// A tone for `loud` seconds, then silence to `seconds`: where a play is in
// the file can be heard.
std::string writeToneThenSilence(const TempDir& dir, const std::string& name, double loud, double seconds) {
  const uint32_t rate = 22050;
  std::vector<float> s(size_t(seconds * rate), 0.0f);
  for (size_t i = 0; i < size_t(loud * rate) && i < s.size(); ++i)
    s[i] = float(0.5 * std::sin(2 * M_PI * 440 * double(i) / rate));
  const std::string path = dir / name;
  soundgen::writeFile(path, soundgen::wavBytes(s, rate));
  return path;
}

TEST_F(SdlSoundDeviceTest, APlayStartsOverFromTheBeginningAndCutsTheEarlierPlayShort) {
  const std::string path = writeToneThenSilence(dir, "tone.wav", 0.2, 2.0);
  const SoundId id = opened(dev->open(SoundKind::wave, path));
  ASSERT_NE(id, kNoSound);

  dev->play(id, true);
  EXPECT_GT(loudnessOver(100ms), 0.1);
  waitForAudio(150ms);
  EXPECT_LT(loudnessOver(300ms), 0.001);  // past the tone, in the silence
  dev->play(id, true);                    // from the beginning again: the tone
  EXPECT_GT(loudnessOver(100ms), 0.1);
  dev->stop(id);
  EXPECT_EQ(notices.size(), 1u);  // nothing is handed over inside a device call
  EXPECT_LT(loudnessOver(100ms), 0.001);
  EXPECT_EQ(notices, (std::vector<Notice>{{id, PlayEnd::cutShort}, {id, PlayEnd::cutShort}}));

  notices.clear();
  dev->play(id, false);  // without notice: nothing to cut short
  dev->play(id, true);
  pumpFor(50ms);
  dev->close(id);
  pumpFor(50ms);
  EXPECT_EQ(notices, (std::vector<Notice>{{id, PlayEnd::cutShort}}));
  dev->play(id, true);  // closed: nothing
  EXPECT_LT(loudnessOver(100ms), 0.001);
  EXPECT_EQ(notices.size(), 1u);

  // A closed device's id is not given again.
  EXPECT_NE(opened(dev->open(SoundKind::wave, path)), id);
}

TEST_F(SdlSoundDeviceTest, ManyWaveDevicesSoundTogetherAndEachReportsItsEnd) {
  // More devices than the mixer has channels at first.
  const std::string path = writeTone(dir, "tone.wav", 0.1);
  std::vector<SoundId> ids;
  for (int i = 0; i < 20; ++i) {
    ids.push_back(opened(dev->open(SoundKind::wave, path)));
    ASSERT_NE(ids.back(), kNoSound);
  }
  for (SoundId id : ids) dev->play(id, true);
  ASSERT_TRUE(pumpUntil([&] { return notices.size() >= ids.size(); }));
  for (SoundId id : ids) EXPECT_EQ(count(PlayEnd::finished, id), 1u) << id.value();

  // The mixer's channels run out at some point: a clear refusal, and a
  // closed device makes room again.
  std::string why;
  for (int i = 0; i < 1000 && why.empty(); ++i) {
    const Result<SoundId> r = dev->open(SoundKind::wave, path);
    if (r) ids.push_back(*r);
    else why = r.error();
  }
  EXPECT_NE(why.find("too many"), std::string::npos) << why;
  dev->close(ids.back());
  opened(dev->open(SoundKind::wave, path));
}

TEST_F(SdlSoundDeviceTest, NestedPumpsKeepTheOrder) {
  const std::string path = writeTone(dir, "tone.wav", 2.0);
  const SoundId a = opened(dev->open(SoundKind::wave, path));
  const SoundId b = opened(dev->open(SoundKind::wave, path));
  dev->play(a, true);
  dev->play(b, true);
  dev->play(a, true);
  dev->stop(b);
  dev->stop(a);
  // The handler runs a nested loop (a modal box, say) that pumps again.
  onNotice = [this] {
    onNotice = nullptr;
    dev->pumpNotices();
  };
  EXPECT_EQ(dev->pumpNotices(), 1u);  // the rest went out from the nested pump
  EXPECT_EQ(notices, (std::vector<Notice>{{a, PlayEnd::cutShort}, {b, PlayEnd::cutShort}, {a, PlayEnd::cutShort}}));
}

TEST_F(SdlSoundDeviceTest, MidiSoundsEndsWithItsLastEventAndPlaysAgainFromTheStart) {
  const std::string song = writeShortSong(dir, "song.mid");
  const SoundId id = opened(dev->open(SoundKind::midi, song));
  ASSERT_NE(id, kNoSound);
  meter.reset();
  dev->play(id, true);
  ASSERT_TRUE(pumpUntil([&] { return !notices.empty(); }));
  EXPECT_EQ(notices, (std::vector<Notice>{{id, PlayEnd::finished}}));
  EXPECT_GT(meter.rms(), 0.01);
  // The end is the song's (half a second) and the grace after it, not the
  // moment the bells have died away, seconds later. Measured in mixed sound.
  const double mixedSeconds = double(meter.samples()) / (44100 * 2);
  EXPECT_GE(mixedSeconds, 0.5 + kMidiEndGrace - 0.05);
  EXPECT_LT(mixedSeconds, 3.0);  // the synthesiser alone would say 5-10 s

  // After its end the song plays again from its first note, not from where
  // the synthesiser stopped.
  dev->play(id, false);
  EXPECT_GT(loudnessOver(400ms), 0.01);
  dev->stop(id);
  EXPECT_LT(loudnessOver(300ms), 0.01);  // the release tail dies quickly
  pumpFor(50ms);
  EXPECT_EQ(notices.size(), 1u);

  // A second sequencer device takes the synthesiser over; the first one's
  // pending notice is cut short.
  const SoundId other = opened(dev->open(SoundKind::midi, song));
  ASSERT_NE(other, kNoSound);
  dev->play(id, true);
  pumpFor(50ms);
  dev->play(other, true);
  dev->close(other);
  pumpFor(50ms);
  EXPECT_EQ(count(PlayEnd::cutShort, id), 1u);
  EXPECT_EQ(count(PlayEnd::cutShort, other), 1u);
  EXPECT_EQ(count(PlayEnd::finished, id), 1u);
}

TEST_F(SdlSoundDeviceTest, DefaultSoundsOpenOnTheirDevicesOnly) {
  const std::string bin = executableDirectory();
  for (const char* name : {"monst01.wav", "bird.wav", "se-037.wav", "bin100818210142001.wav"}) {
    SCOPED_TRACE(name);
    dev->close(opened(dev->open(SoundKind::wave, bin + name)));
    refusal(dev->open(SoundKind::midi, bin + name));
  }
  for (const char* name : {"tamhe06.mid", "tam-g09.mid", "tam-g07.mid"}) {
    SCOPED_TRACE(name);
    dev->close(opened(dev->open(SoundKind::midi, bin + name)));
    refusal(dev->open(SoundKind::wave, bin + name));
  }
}

// Sounds are kept from one open of a file to the next, as long as the file
// stays the same.
TEST_F(SdlSoundDeviceTest, AKeptSoundPlaysAgainUntilItsFileChanges) {
  const std::string path = writeTone(dir, "tone.wav", 1.0);
  dev->prepare();
  dev->preload({path, dir / "missing.wav"});
  for (int round = 0; round < 2; ++round) {
    const SoundId id = opened(dev->open(SoundKind::wave, path));
    dev->close(opened(dev->open(SoundKind::wave, path)));  // one sharing its sound comes and goes
    dev->play(id, false);
    EXPECT_GT(loudnessOver(150ms), 0.2) << round;
    dev->close(id);
  }
  // A kept WAV is refused by the sequencer as an unknown one is.
  EXPECT_NE(refusal(dev->open(SoundKind::midi, path)).find("is a WAV file; the MIDI device"), std::string::npos);

  writeTone(dir, "tone.wav", 0.9, 440, 0.05);  // quieter, and shorter
  const SoundId id = opened(dev->open(SoundKind::wave, path));
  dev->play(id, false);
  const double rms = loudnessOver(150ms);
  EXPECT_GT(rms, 0.02);
  EXPECT_LT(rms, 0.05);
  dev->close(id);

  // Damaged or gone since it was kept: refused with the reason.
  fs::resize_file(path, fs::file_size(path) / 2);
  EXPECT_NE(refusal(dev->open(SoundKind::wave, path)).find("truncated"), std::string::npos);
  fs::remove(path);
  EXPECT_NE(refusal(dev->open(SoundKind::wave, path)).find("cannot open"), std::string::npos);
}

TEST_F(SdlSoundDeviceTest, MidiOpenedOverAndOverPlaysEachTime) {
  const std::string song = writeShortSong(dir, "song.mid");
  dev->prepare();
  for (int round = 0; round < 2; ++round) {
    const SoundId id = opened(dev->open(SoundKind::midi, song));
    meter.reset();
    dev->play(id, true);
    ASSERT_TRUE(pumpUntil([&] { return count(PlayEnd::finished, id) == 1; })) << round;
    EXPECT_GT(meter.rms(), 0.01) << round;  // the whole song, not its end
    dev->close(id);
  }
  // Two devices on one file: the second takes the synthesiser over and sounds.
  const SoundId first = opened(dev->open(SoundKind::midi, song));
  const SoundId second = opened(dev->open(SoundKind::midi, song));
  dev->play(first, false);
  waitForAudio(100ms);
  dev->play(second, false);
  dev->close(first);
  EXPECT_GT(loudnessOver(400ms), 0.01);
}

// Only one MIDI sound holds a synthesiser loaded ahead; the others load
// theirs when played. Preloaded songs and songs played in turn, back and
// forth, each sound from their start to their end, and a kept song whose
// synthesiser went to another one plays again; so do songs readied ahead,
// before they were built and after.
TEST_F(SdlSoundDeviceTest, MidiSongsPlayedInTurnEachSoundToTheirEnd) {
  const std::string a = writeShortSong(dir, "a.mid");
  const std::string b = writeShortSong(dir, "b.mid");
  const std::string c = writeShortSong(dir, "c.mid");
  const std::string tone = writeTone(dir, "tone.wav", 1.0);
  dev->readySong(b);  // waits for prepare()
  dev->prepare();
  dev->preload({tone, a, b, c});
  dev->readySong(tone);  // not a song: nothing to ready
  dev->readySong(dir / "missing.mid");
  for (const std::string& song : {a, b, c, a, c, a}) {
    SCOPED_TRACE(song);
    if (song == c) dev->readySong(c);
    const SoundId id = opened(dev->open(SoundKind::midi, song));
    meter.reset();
    dev->play(id, true);
    ASSERT_TRUE(pumpUntil([&] { return count(PlayEnd::finished, id) == 1; }));
    EXPECT_GT(meter.rms(), 0.01);
    dev->close(id);
  }
  // The decoded WAV kept beside them still sounds as loud as it was written.
  const SoundId id = opened(dev->open(SoundKind::wave, tone));
  dev->play(id, false);
  EXPECT_GT(loudnessOver(150ms), 0.2);
  dev->close(id);
}

// SDL_AUDIODRIVER as the test found it, back when the test ends.
class SavedDriver {
 public:
  SavedDriver() : had_(std::getenv("SDL_AUDIODRIVER") != nullptr), value_(had_ ? std::getenv("SDL_AUDIODRIVER") : "") {}
  ~SavedDriver() {
    if (had_) {
      setenv("SDL_AUDIODRIVER", value_.c_str(), 1);
    } else {
      unsetenv("SDL_AUDIODRIVER");
    }
  }

 private:
  bool had_;
  std::string value_;
};

// The environment names the driver; an unusable one is not replaced.
TEST(SdlSoundDeviceDriver, TheEnvironmentsDriverWins) {
  TempDir dir;
  const std::string tone = writeTone(dir, "tone.wav", 0.1);
  const SavedDriver saved;
  {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SdlSoundDevice dev;
    EXPECT_NE(refusal(dev.open(SoundKind::wave, tone)).find("no audio output"), std::string::npos);
  }
  {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (dir / "out.raw").c_str(), 1);
    SdlSoundDevice dev;
    opened(dev.open(SoundKind::wave, tone));
    EXPECT_EQ(dev.audioDriver(), "disk");
    EXPECT_FALSE(dev.usingFallbackDriver());
  }
  {
    // Whatever SDL finds here (on a machine without sound: nothing, and the
    // dummy driver takes over), the device works.
    unsetenv("SDL_AUDIODRIVER");
    SdlSoundDevice dev;
    opened(dev.open(SoundKind::wave, tone));
    EXPECT_NE(dev.audioDriver(), "");
  }
}

// An output opened ahead by prepare() gives the same reasons as one opened by
// the first open.
TEST(SdlSoundDeviceDriver, PreparedOutputTellsWhyItIsMissing) {
  TempDir dir;
  const std::string tone = writeTone(dir, "tone.wav", 0.3);
  const SavedDriver saved;
  {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SdlSoundDevice dev;
    dev.prepare();
    dev.preload({tone});
    EXPECT_NE(refusal(dev.open(SoundKind::wave, tone)).find("no audio output"), std::string::npos);
    EXPECT_EQ(dev.audioDriver(), "");
  }
  {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SdlSoundDevice first;
    first.prepare();
    EXPECT_EQ(first.audioDriver(), "dummy");
    SdlSoundDevice second;
    second.prepare();
    EXPECT_NE(refusal(second.open(SoundKind::wave, tone)).find("another sound device of this program holds it"),
              std::string::npos);

    Meter meter;
    first.setMixTap([&](const int16_t* s, size_t n) { meter.add(s, n); });
    const SoundId id = opened(first.open(SoundKind::wave, tone));
    first.play(id, false);
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (meter.rms() < 0.1 && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(5ms);
    EXPECT_GT(meter.rms(), 0.1);
    first.setMixTap({});
  }
}

// The alarm player on the real device: sound files named by a relative path
// are the default ones beside the executable.
class AlarmSoundTest : public SdlSoundDeviceTest {
 protected:
  void SetUp() override {
    SdlSoundDeviceTest::SetUp();
    player = std::make_unique<AlarmPlayer>(*dev, settings, executableDirectory());
    // The client's own wiring: a play's end, as the client hears it.
    dev->setEndHandler([this](SoundId id, PlayEnd end) {
      ends.push_back({id, end});
      player->playEnded(id, end);
    });
  }
  void TearDown() override {
    player->stopAllAlarms();
    SdlSoundDeviceTest::TearDown();
  }
  size_t finished() const {
    size_t n = 0;
    for (const auto& e : ends) n += e.second == PlayEnd::finished;
    return n;
  }
  // The reason the kind's alarm is silent, "" when it is not.
  std::string silentBecause(AlarmKind kind) const {
    const auto& problem = player->problems().problem(kind);
    return problem ? problem->reason : std::string();
  }

  Settings settings;
  std::unique_ptr<AlarmPlayer> player;
  std::vector<std::pair<SoundId, PlayEnd>> ends;
};

TEST_F(AlarmSoundTest, RepeatingAlarmRestartsOnItsNoticeUntilStopped) {
  settings.alarm(AlarmKind::tohyo).soundPath = writeTone(dir, "vote.wav", 0.25);
  settings.alarm(AlarmKind::tohyo).repeat = true;
  player->playAlarm(AlarmKind::tohyo);
  ASSERT_EQ(silentBecause(AlarmKind::tohyo), "");
  ASSERT_TRUE(pumpUntil([&] { return finished() >= 2; }));
  EXPECT_EQ(ends[0].first, ends[1].first);  // the same device, played again
  EXPECT_GT(loudnessOver(200ms), 0.1);      // the third round sounds

  player->stopAllAlarms();
  pumpFor(50ms);
  const size_t seen = ends.size();
  EXPECT_EQ(ends.back(), std::make_pair(ends[0].first, PlayEnd::cutShort));
  EXPECT_LT(loudnessOver(400ms), 0.001);
  EXPECT_EQ(ends.size(), seen);
}

TEST_F(AlarmSoundTest, OnceAlarmPlaysOnceWithoutANotice) {
  settings.alarm(AlarmKind::daytime).soundPath = writeTone(dir, "day.wav", 0.2);
  settings.alarm(AlarmKind::daytime).repeat = false;
  player->playAlarm(AlarmKind::daytime);
  EXPECT_EQ(silentBecause(AlarmKind::daytime), "");
  EXPECT_GT(loudnessOver(100ms), 0.1);
  waitForAudio(300ms);
  EXPECT_LT(loudnessOver(300ms), 0.001);
  EXPECT_TRUE(ends.empty());
  EXPECT_TRUE(player->isCurrent(AlarmKind::daytime));
}

TEST_F(AlarmSoundTest, CapacityAlarmIsSilencedAloneAndAWrongFileStaysSilent) {
  settings.alarm(AlarmKind::full_alarm).soundPath = writeTone(dir, "siren.wav", 0.3);
  settings.alarm(AlarmKind::full_alarm).armed = false;
  player->playAlarm(AlarmKind::full_alarm);
  ASSERT_EQ(silentBecause(AlarmKind::full_alarm), "");
  ASSERT_TRUE(pumpUntil([&] { return finished() >= 1; }));
  EXPECT_GT(loudnessOver(100ms), 0.1);  // repeated although its loop flag is 0
  player->stopCapacityAlarm();
  EXPECT_LT(loudnessOver(400ms), 0.001);
  EXPECT_TRUE(player->isCurrent(AlarmKind::full_alarm));

  // "bird.wav" on a victory kind is opened on the sequencer and fails.
  settings.alarm(AlarmKind::sonmin).soundPath = "bird.wav";
  player->playAlarm(AlarmKind::sonmin);
  EXPECT_NE(silentBecause(AlarmKind::sonmin).find("WAV file"), std::string::npos) << silentBecause(AlarmKind::sonmin);
  EXPECT_TRUE(player->isCurrent(AlarmKind::sonmin));
  EXPECT_LT(loudnessOver(200ms), 0.001);
}

TEST_F(AlarmSoundTest, DefaultMidiAlarmSounds) {
  settings.alarm(AlarmKind::sonmintoroku).soundPath = "tam-g07.mid";
  player->playAlarm(AlarmKind::sonmintoroku);
  ASSERT_EQ(silentBecause(AlarmKind::sonmintoroku), "");
  EXPECT_GT(loudnessOver(600ms), 0.01);
  player->stopAllAlarms();
}

}  // namespace
}  // namespace jinro
