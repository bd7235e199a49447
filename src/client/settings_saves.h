#pragma once
// Telling the player that the settings could not be saved: one message box
// in a run, whichever save failed first, so that a folder that cannot be
// written is never a silent loss and never a box on every save.
#include "base/result.h"
#include "platform/notices.h"

namespace jinro {

class SettingsSaves {
 public:
  explicit SettingsSaves(Notices& notices) : notices_(notices) {}

  // Called with the result of every settings save. Every failure writes its
  // reason on standard error; the first of the run also shows the box.
  // Returns whether it was saved.
  bool note(const Result<void>& saved);
  // A dialog told the player itself: the box is not shown again.
  void markTold() { told_ = true; }
  bool told() const { return told_; }

  // The start-up check: when jinro.ini at `path` could not be replaced now,
  // says so the way a failed save does, before anything is lost.
  bool checkWritable(const std::string& path);

 private:
  Notices& notices_;
  bool told_ = false;
};

}  // namespace jinro
