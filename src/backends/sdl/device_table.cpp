#include "backends/sdl/device_table.h"

#include "backends/sdl/sdl_library.h"

#include <algorithm>
#include <atomic>

#include "base/trace.h"

namespace jinro {
namespace {

// The table whose hooks SDL_mixer calls: set while it is attached.
std::atomic<DeviceTable*> gAttached{nullptr};

constexpr int kFirstChannels = 8;
constexpr int kMaxChannels = 256;

}  // namespace

struct DeviceTable::Device {
  std::shared_ptr<MixerSound> sound;
  bool midi = false;
  int channel = -1;
  Mix_Music* played = nullptr;  // the stream last handed to the mixer

  ~Device() {
    if (played) sdl().Mix_FreeMusic(played);
  }
};

DeviceTable::DeviceTable(NoticeQueue& notices, ReadySynth& ready) : notices_(notices), ready_(ready) {}

DeviceTable::~DeviceTable() = default;

void DeviceTable::attach(int mixRate) {
  mixRate_ = mixRate;
  allocatedChannels_ = sdl().Mix_AllocateChannels(kFirstChannels);
  {
    std::lock_guard lock(mutex_);
    channelPlaying_.assign(size_t(allocatedChannels_), Slot{});
  }
  freeChannels_.clear();
  for (int ch = allocatedChannels_ - 1; ch >= 0; --ch) freeChannels_.push_back(ch);
  gAttached.store(this);
  sdl().Mix_ChannelFinished(&DeviceTable::onChannelFinished);
  sdl().Mix_HookMusicFinished(&DeviceTable::onMusicFinished);
}

void DeviceTable::detach() {
  sdl().Mix_ChannelFinished(nullptr);
  sdl().Mix_HookMusicFinished(nullptr);
  gAttached.store(nullptr);
  sdl().Mix_HaltChannel(-1);
  sdl().Mix_HaltMusic();
  devices_.clear();
}

DeviceTable::Device* DeviceTable::find(SoundId id) {
  auto it = devices_.find(id);
  return it == devices_.end() ? nullptr : it->second.get();
}

Result<SoundId> DeviceTable::add(std::shared_ptr<MixerSound> sound) {
  auto d = std::make_unique<Device>();
  d->midi = sound->midi();
  d->sound = std::move(sound);
  if (!d->midi) {
    if (freeChannels_.empty()) {
      if (allocatedChannels_ >= kMaxChannels) return fail("too many sound devices are open");
      const int more = std::min(kMaxChannels, allocatedChannels_ * 2);
      {
        std::lock_guard lock(mutex_);
        channelPlaying_.resize(size_t(more));
      }
      sdl().Mix_AllocateChannels(more);
      for (int ch = more - 1; ch >= allocatedChannels_; --ch) freeChannels_.push_back(ch);
      allocatedChannels_ = more;
    }
    d->channel = freeChannels_.back();
    freeChannels_.pop_back();
  }

  const SoundId id(nextId_++);
  devices_[id] = std::move(d);
  return id;
}

NoticeQueue::Wakeup DeviceTable::endPlay(Slot& slot, PlayEnd end) {
  NoticeQueue::Wakeup wake;
  if (slot && slot->notify) wake = notices_.push(PlayEndNotice{slot->device, end});
  slot.reset();
  return wake;
}

void DeviceTable::play(SoundId id, bool notify) {
  Device* d = find(id);
  if (!d) return;
  traceArmFirstSound();
  if (d->midi) {
    playMidi(id, *d, notify);
  } else {
    playWave(id, *d, notify);
  }
}

void DeviceTable::playWave(SoundId id, Device& d, bool notify) {
  // Whatever sounds on the device's own channel (only ever this device) ends
  // first, so that the sound starts from its beginning.
  haltChannel(d.channel);
  {
    std::lock_guard lock(mutex_);
    channelPlaying_[size_t(d.channel)] = Playing{id, notify};
  }
  if (sdl().Mix_PlayChannel(d.channel, d.sound->chunk(), 0) < 0) failPlay(id, notify);
}

void DeviceTable::playMidi(SoundId id, Device& d, bool notify) {
  // Whatever holds the synthesiser stops, this device included (its notice
  // is cut short): a played stream cannot start from its beginning again.
  haltMusic();
  MixerSound& sound = *d.sound;
  const Result<Mix_Music*> next = sound.takeStream();
  if (d.played) sdl().Mix_FreeMusic(d.played);  // halted above, if it was sounding
  d.played = next ? *next : nullptr;
  if (!next) {
    // A play tells nothing but its end: the reason goes to the trace only.
    traceMark("play-failed", next.error());
    failPlay(id, notify);
    return;
  }
  sound.readyNext();
  ready_.give(d.sound);
  musicOwner_ = id;
  {
    std::lock_guard lock(mutex_);
    musicPlaying_ = Playing{id, notify};
    musicFrames_ = 0;
    const double due = std::min(sound.seconds() + kMidiEndGrace, 86400.0);
    musicEndFrame_ = uint64_t(due * mixRate_);
  }
  if (sdl().Mix_PlayMusic(d.played, 1) != 0) {
    {
      std::lock_guard lock(mutex_);
      if (musicPlaying_ && musicPlaying_->device == id) musicPlaying_.reset();
    }
    failPlay(id, notify);
  }
}

void DeviceTable::failPlay(SoundId id, bool notify) {
  NoticeQueue::Wakeup wake;
  {
    std::lock_guard lock(mutex_);
    if (Device* d = find(id); d && !d->midi) {
      Slot& slot = channelPlaying_[size_t(d->channel)];
      if (slot && slot->device == id) slot.reset();
    }
    if (notify) wake = notices_.push(PlayEndNotice{id, PlayEnd::cutShort});
  }
  NoticeQueue::run(wake);
}

void DeviceTable::haltChannel(int channel) {
  NoticeQueue::Wakeup wake;
  {
    std::lock_guard lock(mutex_);
    wake = endPlay(channelPlaying_[size_t(channel)], PlayEnd::cutShort);
  }
  NoticeQueue::run(wake);
  // Its finished hook now finds nothing playing there and reports nothing.
  sdl().Mix_HaltChannel(channel);
}

void DeviceTable::haltMusic() {
  NoticeQueue::Wakeup wake;
  {
    std::lock_guard lock(mutex_);
    wake = endPlay(musicPlaying_, PlayEnd::cutShort);
  }
  NoticeQueue::run(wake);
  if (musicOwner_) {
    sdl().Mix_HaltMusic();
    musicOwner_.reset();
  }
}

void DeviceTable::stop(SoundId id) {
  Device* d = find(id);
  if (!d) return;
  if (!d->midi) {
    haltChannel(d->channel);
  } else if (musicOwner_ == id) {
    haltMusic();
  }
}

void DeviceTable::close(SoundId id) {
  Device* d = find(id);
  if (!d) return;
  stop(id);
  if (!d->midi) freeChannels_.push_back(d->channel);
  if (musicOwner_ == id) musicOwner_.reset();
  devices_.erase(id);  // its sound stays in the cache for the next open of the file
}

// --- audio thread ---------------------------------------------------------

void DeviceTable::onChannelFinished(int channel) {
  if (DeviceTable* self = gAttached.load()) self->channelFinished(channel);
}

void DeviceTable::onMusicFinished() {
  if (DeviceTable* self = gAttached.load()) self->musicFinished();
}

// The end of a song is when its last event is due: count the frames mixed
// since it started and report the end then.
void DeviceTable::musicClock(size_t frames) {
  NoticeQueue::Wakeup wake;
  {
    std::lock_guard lock(mutex_);
    if (!musicPlaying_) return;
    musicFrames_ += frames;
    if (musicFrames_ < musicEndFrame_) return;
    wake = endPlay(musicPlaying_, PlayEnd::finished);
  }
  NoticeQueue::run(wake);
}

// Reached at a natural end only: every halt of ours empties the slot first.
void DeviceTable::channelFinished(int channel) {
  NoticeQueue::Wakeup wake;
  {
    std::lock_guard lock(mutex_);
    if (channel < 0 || size_t(channel) >= channelPlaying_.size()) return;
    wake = endPlay(channelPlaying_[size_t(channel)], PlayEnd::finished);
  }
  NoticeQueue::run(wake);
}

void DeviceTable::musicFinished() {
  NoticeQueue::Wakeup wake;
  {
    std::lock_guard lock(mutex_);
    wake = endPlay(musicPlaying_, PlayEnd::finished);
  }
  NoticeQueue::run(wake);
}

}  // namespace jinro
