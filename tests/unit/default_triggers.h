#pragma once
// The trigger texts of a fresh jinro.ini (the settings' own default table),
// with the capacity alarm armed; loop flags and sound paths left to the test.
#include "settings/settings.h"

namespace jinro::test_files {

inline void applyDefaultTriggers(Settings& s) {
  for (const SoundKey& k : soundKeys()) {
    AlarmSetting& a = s.alarm(k.kind);
    switch (k.field) {
      case AlarmField::trigger: a.trigger = std::string(k.defaultText); break;
      case AlarmField::leftTrigger: a.leftTrigger = std::string(k.defaultText); break;
      case AlarmField::middleTrigger: a.middleTrigger = std::string(k.defaultText); break;
      case AlarmField::rightTrigger: a.rightTrigger = std::string(k.defaultText); break;
      default: break;
    }
  }
  s.alarm(AlarmKind::full_alarm).armed = true;
}

}  // namespace jinro::test_files
