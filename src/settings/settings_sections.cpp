#include "settings/settings_sections.h"

#include <algorithm>

#include "base/code_page.h"

namespace jinro {

std::string dialogBoxText(std::string_view utf8) {
  std::string shiftJis = utf8ToShiftJis(utf8);
  // CR, LF and NUL never occur as the second byte of a double-byte character,
  // so the first of them ends the line wherever it is.
  const size_t end = shiftJis.find_first_of(std::string_view("\r\n\0", 3));
  if (end != std::string::npos) shiftJis.resize(end);
  shiftJis.resize(cutOnCharacterBoundary(shiftJis, kDialogTextLimit).size());
  return shiftJis;
}

bool fitsDialogBox(std::string_view utf8) {
  const std::string shiftJis = utf8ToShiftJis(utf8);
  return shiftJis.size() <= kDialogTextLimit && shiftJisToUtf8(shiftJis) == utf8;
}

// ---- general settings ----

std::optional<int32_t> parseRefreshInterval(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int32_t value = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return std::nullopt;
    value = value * 10 + (ch - '0');
    if (value > kMaxRefreshInterval) return std::nullopt;  // stops before any overflow
  }
  if (value < kMinRefreshInterval) return std::nullopt;
  return value;
}

int32_t shownRefreshInterval(uint32_t stored) {
  return std::clamp(static_cast<int32_t>(stored), kMinRefreshInterval, kMaxRefreshInterval);
}

int32_t stepRefreshInterval(std::string_view text, int32_t fallback, int delta) {
  int32_t position = fallback;
  if (!text.empty() && std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
    // Digits only: a number above the range (however long) counts as its top.
    int64_t value = 0;
    for (char ch : text) value = std::min<int64_t>(value * 10 + (ch - '0'), int64_t{1} << 40);
    position = static_cast<int32_t>(std::min<int64_t>(value, kMaxRefreshInterval));
  }
  position = std::clamp(position, kMinRefreshInterval, kMaxRefreshInterval);
  const int64_t stepped = int64_t{position} + delta;
  return static_cast<int32_t>(std::clamp<int64_t>(stepped, kMinRefreshInterval, kMaxRefreshInterval));
}

GeneralDialogTexts generalDialogTextsFrom(const Settings& settings) {
  GeneralDialogTexts t;
  t.startUrl = settings.startUrl;
  t.frameUrl = settings.frameUrl;
  t.cgiUrl = settings.cgiUrl;
  t.interval = std::to_string(shownRefreshInterval(settings.refreshIntervalSeconds));
  t.notifyDesktop = settings.notifyDesktop;
  t.notifyUrgency = settings.notifyUrgency;
  t.serverKind = settings.serverKind;
  return t;
}

KeyValueList generalSectionPairs(const GeneralDialogTexts& texts) {
  return {
      {"URL_non_frame", dialogBoxText(texts.startUrl)},
      {"URL_frame", dialogBoxText(texts.frameUrl)},
      {"jidokosin_kankaku", dialogBoxText(texts.interval)},
      {"URL_cgi", dialogBoxText(texts.cgiUrl)},
      {"notify_desktop", texts.notifyDesktop ? "1" : "0"},
      {"notify_urgency", texts.notifyUrgency ? "1" : "0"},
      {"server_kind", std::string(serverKindValue(texts.serverKind))},
  };
}

Result<void> saveGeneralSection(const GeneralDialogTexts& texts) {
  return writeSection("ZENPAN", generalSectionPairs(texts));
}

// ---- sound settings ----

namespace {

const std::string& textOf(const AlarmSetting& a, AlarmField field) {
  switch (field) {
    case AlarmField::leftTrigger: return a.leftTrigger;
    case AlarmField::middleTrigger: return a.middleTrigger;
    case AlarmField::rightTrigger: return a.rightTrigger;
    case AlarmField::soundPath: return a.soundPath;
    case AlarmField::trigger:
    case AlarmField::loop: break;
  }
  return a.trigger;
}

// Calls `each` with every key of the page's section, in the file's order.
template <typename Each>
void forEachKeyOfPage(int page, Each each) {
  const std::string_view section = soundSectionName(page);
  if (section.empty()) return;
  for (const SoundKey& key : soundKeys())
    if (key.section == section) each(key);
}

}  // namespace

std::string_view soundSectionName(int page) {
  static constexpr std::string_view names[kSoundPageCount] = {"SOUND1", "SOUND2", "SOUND3"};
  return page >= 0 && page < kSoundPageCount ? names[page] : std::string_view();
}

SoundPageValues soundPageValuesFrom(const Settings& settings, int page) {
  SoundPageValues values;
  forEachKeyOfPage(page, [&](const SoundKey& key) {
    const AlarmSetting& a = settings.alarm(key.kind);
    const SoundField field{key.kind, key.field};
    if (key.field == AlarmField::loop) {
      values.checks[field] = key.kind == AlarmKind::full_alarm ? a.armed : a.repeat;
    } else {
      values.texts[field] = textOf(a, key.field);
    }
  });
  return values;
}

KeyValueList soundSectionPairs(int page, const SoundPageValues& values) {
  KeyValueList pairs;
  forEachKeyOfPage(page, [&](const SoundKey& key) {
    const SoundField field{key.kind, key.field};
    if (key.field == AlarmField::loop) {
      auto it = values.checks.find(field);
      pairs.emplace_back(key.key, it != values.checks.end() && it->second ? "1" : "0");
    } else {
      auto it = values.texts.find(field);
      pairs.emplace_back(key.key, it != values.texts.end() ? dialogBoxText(it->second) : std::string());
    }
  });
  return pairs;
}

Result<void> saveSoundSections(const SoundSheetPages& pages) {
  Result<void> result;
  for (int page = 0; page < kSoundPageCount; ++page) {
    if (pages[page] == nullptr) continue;
    Result<void> saved = writeSection(soundSectionName(page), soundSectionPairs(page, *pages[page]));
    if (!saved && result) result = std::move(saved);
  }
  return result;
}

}  // namespace jinro
