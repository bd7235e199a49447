#pragma once
// A device that plays one sound file: WAV on "WaveAudio", Standard MIDI on
// "Sequencer". Device ids are non-zero for open devices; operations on id 0
// (a failed open) do nothing. A play with notice ends with a notice, delivered
// on the main thread, carrying the device id: MCI_NOTIFY_SUCCESSFUL when the
// file played to its end, another code when it was stopped, closed or
// superseded.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace jinro {

class SoundDevice {
 public:
  using NoticeHandler = std::function<void(uint32_t code, uint32_t deviceId)>;
  virtual ~SoundDevice() = default;
  // 0 when the file is missing, unreadable, of the wrong type for the device,
  // or when there is no audio output at all.
  virtual uint32_t open(std::string_view deviceType, const std::string& path) = 0;
  virtual void seekToStart(uint32_t deviceId) = 0;
  virtual void play(uint32_t deviceId, bool notify) = 0;
  virtual void stop(uint32_t deviceId) = 0;
  virtual void close(uint32_t deviceId) = 0;
  // Where the notices go (the main window's dispatcher).
  virtual void setNoticeHandler(NoticeHandler handler) = 0;
  // Why the last open failed, for the player to see ("" after a success).
  virtual std::string lastError() const { return {}; }
};

}  // namespace jinro
