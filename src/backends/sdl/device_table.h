#pragma once
// The open devices of the sound device and the plays on them.
//
// add() gives every device a fresh SoundId (ids are not reused within a run).
// WAV devices each have a mixer channel of their own and may sound
// together; MIDI devices share the one synthesiser, and one that
// starts while another plays takes it over: the other one is stopped and its
// pending notice cut short.
//
// play starts the whole sound from its beginning, also on a device that is
// still playing (whose pending notice is cut short). stop ends the sound at
// once; close releases the device. Every play with notice ends in exactly one
// notice (notice_queue.h): finished at the sound's end; cut short by a stop,
// a close, a new play, a takeover, or when the play could not start. A MIDI
// file's end is when its last event is due (by the file's tempo map) plus
// kMidiEndGrace, or when the synthesiser falls silent, whichever comes first:
// the table counts the frames mixed since the song started (musicClock), as
// the synthesiser says a song has ended only when its last voice has died
// away, which for bells or timpani can be ten seconds after the last note. The
// last notes' release may ring on after the notice until the next play or stop.
//
// Calls with an id that is not open do nothing. All calls but the mixer's
// hooks and musicClock are the main thread's; those run on SDL's audio
// thread, and what they share with the main thread is behind one lock.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "backends/sdl/mixer_sound.h"
#include "backends/sdl/notice_queue.h"
#include "base/result.h"
#include "platform/sound_device.h"

struct _Mix_Music;

namespace jinro {

// Time the last notes of a MIDI file are given to ring before its end is
// reported, in seconds.
inline constexpr double kMidiEndGrace = 0.5;

class DeviceTable {
 public:
  // A MIDI play readies its sound's next synthesiser and tells `ready`.
  DeviceTable(NoticeQueue& notices, ReadySynth& ready);
  ~DeviceTable();
  DeviceTable(const DeviceTable&) = delete;
  DeviceTable& operator=(const DeviceTable&) = delete;

  // Once the audio output is open, before the table is used: allocates the
  // mixer's channels and installs SDL_mixer's end-of-play hooks. May run on
  // the thread that opened the output.
  void attach(int mixRate);
  // Before the audio output closes: removes the hooks, halts every sound
  // without notices and frees the devices.
  void detach();

  // A new device playing `sound`; fails when every channel is taken.
  Result<SoundId> add(std::shared_ptr<MixerSound> sound);
  void play(SoundId id, bool notify);
  void stop(SoundId id);
  void close(SoundId id);

  // Audio thread: `frames` more frames were mixed.
  void musicClock(size_t frames);

 private:
  struct Device;
  // A play under way on a channel or on the synthesiser.
  struct Playing {
    SoundId device;
    bool notify = false;
  };
  using Slot = std::optional<Playing>;  // empty: nothing playing there

  Device* find(SoundId id);
  void playWave(SoundId id, Device& d, bool notify);
  void playMidi(SoundId id, Device& d, bool notify);
  void failPlay(SoundId id, bool notify);
  // Ends what plays on a channel / on the synthesiser; a pending notice is cut short.
  void haltChannel(int channel);
  void haltMusic();
  // Empties a slot; its notice, when one is pending, is queued with `end`
  // (the caller holds mutex_ and runs the wakeup once it let go of it).
  [[nodiscard]] NoticeQueue::Wakeup endPlay(Slot& slot, PlayEnd end);

  // SDL_mixer's hooks, on the audio thread.
  static void onChannelFinished(int channel);
  static void onMusicFinished();
  void channelFinished(int channel);
  void musicFinished();

  NoticeQueue& notices_;
  ReadySynth& ready_;

  // Main thread.
  uint32_t nextId_ = 1;
  std::map<SoundId, std::unique_ptr<Device>> devices_;
  std::vector<int> freeChannels_;
  int allocatedChannels_ = 0;
  std::optional<SoundId> musicOwner_;  // device whose music was last handed to the mixer
  int mixRate_ = 44100;

  // Shared with the audio thread.
  std::mutex mutex_;
  std::vector<Slot> channelPlaying_;
  Slot musicPlaying_;
  uint64_t musicFrames_ = 0;    // mixed since the playing song started
  uint64_t musicEndFrame_ = 0;  // when its end is reported
};

}  // namespace jinro
