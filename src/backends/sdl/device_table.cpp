#include "backends/sdl/device_table.h"

#include <SDL.h>
#include <SDL_mixer.h>

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
    if (played) Mix_FreeMusic(played);
  }
};

DeviceTable::DeviceTable(NoticeQueue& notices) : notices_(notices) {}

DeviceTable::~DeviceTable() = default;

void DeviceTable::attach(int mixRate) {
  mixRate_ = mixRate;
  allocatedChannels_ = Mix_AllocateChannels(kFirstChannels);
  {
    std::lock_guard lock(mutex_);
    channelPlaying_.assign(size_t(allocatedChannels_), Playing{});
  }
  freeChannels_.clear();
  for (int ch = allocatedChannels_ - 1; ch >= 0; --ch) freeChannels_.push_back(ch);
  gAttached.store(this);
  Mix_ChannelFinished(&DeviceTable::onChannelFinished);
  Mix_HookMusicFinished(&DeviceTable::onMusicFinished);
}

void DeviceTable::detach() {
  Mix_ChannelFinished(nullptr);
  Mix_HookMusicFinished(nullptr);
  gAttached.store(nullptr);
  Mix_HaltChannel(-1);
  Mix_HaltMusic();
  devices_.clear();
}

DeviceTable::Device* DeviceTable::find(uint32_t id) {
  auto it = devices_.find(id);
  return it == devices_.end() ? nullptr : it->second.get();
}

Result<uint32_t> DeviceTable::add(std::shared_ptr<MixerSound> sound) {
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
      Mix_AllocateChannels(more);
      for (int ch = more - 1; ch >= allocatedChannels_; --ch) freeChannels_.push_back(ch);
      allocatedChannels_ = more;
    }
    d->channel = freeChannels_.back();
    freeChannels_.pop_back();
  }

  const uint32_t id = nextId_++;
  if (nextId_ == 0) nextId_ = 1;
  devices_[id] = std::move(d);
  return id;
}

void DeviceTable::play(uint32_t id, bool notify) {
  Device* d = find(id);
  if (!d) return;
  traceArmFirstSound();
  if (d->midi) {
    playMidi(id, *d, notify);
  } else {
    playWave(id, *d, notify);
  }
}

void DeviceTable::playWave(uint32_t id, Device& d, bool notify) {
  NoticeQueue::Wakeup wake;
  bool continuing = false;
  {
    std::lock_guard lock(mutex_);
    Playing& p = channelPlaying_[size_t(d.channel)];
    if (p.device == id) {  // still sounding: it goes on, the new notice replaces the old
      if (p.notify) wake = notices_.push(kNotifySuperseded, id);
      p.notify = notify;
      continuing = true;
    }
  }
  NoticeQueue::run(wake);
  if (continuing) return;

  // Not sounding: start it from the beginning on the device's own channel.
  Mix_HaltChannel(d.channel);
  {
    std::lock_guard lock(mutex_);
    channelPlaying_[size_t(d.channel)] = Playing{id, notify};
  }
  if (Mix_PlayChannel(d.channel, d.sound->chunk(), 0) < 0) failPlay(id, notify);
}

void DeviceTable::playMidi(uint32_t id, Device& d, bool notify) {
  NoticeQueue::Wakeup wake;
  bool continuing = false;
  {
    std::lock_guard lock(mutex_);
    if (musicPlaying_.device == id) {
      if (musicPlaying_.notify) wake = notices_.push(kNotifySuperseded, id);
      musicPlaying_.notify = notify;
      continuing = true;
    }
  }
  NoticeQueue::run(wake);
  if (continuing) return;

  // Whatever holds the synthesiser stops (its notice is aborted).
  haltMusic(kNotifyAborted);
  MixerSound& sound = *d.sound;
  Mix_Music* next = sound.takeStream();
  if (d.played) Mix_FreeMusic(d.played);  // halted above, if it was sounding
  d.played = next;
  if (!next) {
    failPlay(id, notify);
    return;
  }
  sound.readyNext();
  musicOwner_ = id;
  {
    std::lock_guard lock(mutex_);
    musicPlaying_ = Playing{id, notify};
    musicFrames_ = 0;
    const double due = std::min(sound.seconds() + kMidiEndGrace, 86400.0);
    musicEndFrame_ = uint64_t(due * mixRate_);
  }
  if (Mix_PlayMusic(d.played, 1) != 0) {
    {
      std::lock_guard lock(mutex_);
      if (musicPlaying_.device == id) musicPlaying_ = Playing{};
    }
    failPlay(id, notify);
  }
}

void DeviceTable::failPlay(uint32_t id, bool notify) {
  NoticeQueue::Wakeup wake;
  {
    std::lock_guard lock(mutex_);
    if (Device* d = find(id); d && !d->midi && channelPlaying_[size_t(d->channel)].device == id)
      channelPlaying_[size_t(d->channel)] = Playing{};
    if (notify) wake = notices_.push(kNotifyFailure, id);
  }
  NoticeQueue::run(wake);
}

void DeviceTable::haltChannel(int channel, uint32_t code) {
  NoticeQueue::Wakeup wake;
  {
    std::lock_guard lock(mutex_);
    Playing& p = channelPlaying_[size_t(channel)];
    if (p.device != 0 && p.notify) wake = notices_.push(code, p.device);
    p = Playing{};
  }
  NoticeQueue::run(wake);
  // Its finished hook now finds nothing playing there and reports nothing.
  Mix_HaltChannel(channel);
}

void DeviceTable::haltMusic(uint32_t code) {
  NoticeQueue::Wakeup wake;
  {
    std::lock_guard lock(mutex_);
    if (musicPlaying_.device != 0 && musicPlaying_.notify) wake = notices_.push(code, musicPlaying_.device);
    musicPlaying_ = Playing{};
  }
  NoticeQueue::run(wake);
  if (musicOwner_ != 0) {
    Mix_HaltMusic();
    musicOwner_ = 0;
  }
}

void DeviceTable::stop(uint32_t id) {
  Device* d = find(id);
  if (!d) return;
  if (!d->midi) {
    haltChannel(d->channel, kNotifyAborted);
  } else if (musicOwner_ == id) {
    haltMusic(kNotifyAborted);
  }
}

void DeviceTable::close(uint32_t id) {
  Device* d = find(id);
  if (!d) return;
  stop(id);
  if (!d->midi) freeChannels_.push_back(d->channel);
  if (musicOwner_ == id) musicOwner_ = 0;
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
    if (musicPlaying_.device == 0) return;
    musicFrames_ += frames;
    if (musicFrames_ < musicEndFrame_) return;
    if (musicPlaying_.notify) wake = notices_.push(kNotifySuccessful, musicPlaying_.device);
    musicPlaying_ = Playing{};
  }
  NoticeQueue::run(wake);
}

// Reached at a natural end only: every halt of ours empties the slot first.
void DeviceTable::channelFinished(int channel) {
  NoticeQueue::Wakeup wake;
  {
    std::lock_guard lock(mutex_);
    if (channel < 0 || size_t(channel) >= channelPlaying_.size()) return;
    Playing& p = channelPlaying_[size_t(channel)];
    if (p.device != 0 && p.notify) wake = notices_.push(kNotifySuccessful, p.device);
    p = Playing{};
  }
  NoticeQueue::run(wake);
}

void DeviceTable::musicFinished() {
  NoticeQueue::Wakeup wake;
  {
    std::lock_guard lock(mutex_);
    if (musicPlaying_.device != 0 && musicPlaying_.notify)
      wake = notices_.push(kNotifySuccessful, musicPlaying_.device);
    musicPlaying_ = Playing{};
  }
  NoticeQueue::run(wake);
}

}  // namespace jinro
