#include "page/page_reading.h"

#include "page/page_reading_impl.h"

namespace jinro {

PageTriggers pageTriggersFrom(const Settings& settings) {
  auto pageText = [](const std::string& utf8) { return std::string(analysis::untilZero(utf8ToShiftJis(utf8))); };
  PageTriggers t;
  for (size_t i = 0; i < kAlarmKindCount; ++i) t.triggers[i] = pageText(settings.alarms[i].trigger);
  const AlarmSetting& night = settings.alarm(AlarmKind::night);
  t.nightLeft = pageText(night.leftTrigger);
  t.nightMiddle = pageText(night.middleTrigger);
  t.nightRight = pageText(night.rightTrigger);
  t.serverKind = settings.serverKind;
  return t;
}

PageReading readPage(const PageTriggers& triggers, std::string_view pageText, std::string_view pageUrl) {
  return analysis::readPageWith<FastTextOps>(triggers, pageText, pageUrl);
}

std::string extractFieldValue(std::string_view text, std::string_view controlName) {
  return analysis::extractFieldValueWith<FastTextOps>(analysis::pageView(text), controlName);
}

long parseNumber(std::string_view text) { return analysis::parseNumberText(text); }

}  // namespace jinro
