#include "settings/settings_sections.h"

#include <algorithm>

#include "base/code_page.h"

namespace jinro {

std::string dialogBoxText(std::string_view shiftJis) {
  // CR, LF and NUL never occur as the second byte of a double-byte character,
  // so the first of them ends the line wherever it is.
  size_t end = shiftJis.find_first_of(std::string_view("\r\n\0", 3));
  if (end != std::string_view::npos) shiftJis = shiftJis.substr(0, end);
  return std::string(cutOnCharacterBoundary(shiftJis, kDialogTextLimit));
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

using K = AlarmKind;
using V = SoundValue;

constexpr SoundField kPage1[] = {
    {1016, K::night, V::leftTrigger},   {1021, K::night, V::middleTrigger}, {1023, K::night, V::rightTrigger},
    {1017, K::night, V::soundPath},     {1019, K::night, V::loop},          {1030, K::daytime, V::soundPath},
    {1032, K::daytime, V::loop},        {1033, K::tohyo, V::trigger},       {1034, K::tohyo, V::soundPath},
    {1036, K::tohyo, V::loop},          {1048, K::kodo, V::trigger},        {1049, K::kodo, V::soundPath},
    {1050, K::kodo, V::loop},
};
constexpr SoundField kPage2[] = {
    {1041, K::sonmin, V::trigger},   {1042, K::sonmin, V::soundPath},   {1044, K::sonmin, V::loop},
    {1045, K::jinro, V::trigger},    {1020, K::jinro, V::soundPath},    {1022, K::jinro, V::loop},
    {1007, K::yoko, V::trigger},     {1023, K::yoko, V::soundPath},     {1025, K::yoko, V::loop},
    {1010, K::hikiwake, V::trigger}, {1026, K::hikiwake, V::soundPath}, {1028, K::hikiwake, V::loop},
};
constexpr SoundField kPage3[] = {
    {1041, K::nekomata, V::trigger},     {1047, K::nekomata, V::soundPath},     {1013, K::nekomata, V::loop},
    {1037, K::sonmintoroku, V::trigger}, {1038, K::sonmintoroku, V::soundPath}, {1040, K::sonmintoroku, V::loop},
    {1042, K::full_alarm, V::soundPath}, {1044, K::full_alarm, V::loop},
};

const std::string& textOf(const AlarmSetting& a, SoundValue v) {
  switch (v) {
    case V::leftTrigger: return a.leftTrigger;
    case V::middleTrigger: return a.middleTrigger;
    case V::rightTrigger: return a.rightTrigger;
    case V::soundPath: return a.soundPath;
    default: return a.trigger;
  }
}

}  // namespace

std::string_view soundSectionName(int page) {
  static constexpr std::string_view names[kSoundPageCount] = {"SOUND1", "SOUND2", "SOUND3"};
  return page >= 0 && page < kSoundPageCount ? names[page] : std::string_view();
}

std::span<const SoundField> soundPageFields(int page) {
  switch (page) {
    case 0: return kPage1;
    case 1: return kPage2;
    case 2: return kPage3;
    default: return {};
  }
}

std::string soundKey(const SoundField& field) {
  std::string key(keyPrefix(field.kind));
  switch (field.value) {
    case V::trigger: return key + "_trigger_string";
    case V::leftTrigger: return key + "_left_trigger_string";
    case V::middleTrigger: return key + "_middle_trigger_string";
    case V::rightTrigger: return key + "_right_trigger_string";
    case V::soundPath: return key + "_sound_path";
    case V::loop: return field.kind == K::full_alarm ? key + "_check" : key + "_sound_roop_check";
  }
  return key;
}

SoundPageValues soundPageValuesFrom(const Settings& settings, int page) {
  SoundPageValues values;
  for (const SoundField& f : soundPageFields(page)) {
    const AlarmSetting& a = settings.alarm(f.kind);
    if (f.value == V::loop) {
      values.checks[f.controlId] = f.kind == AlarmKind::full_alarm ? a.armed : a.repeat;
    } else {
      values.texts[f.controlId] = textOf(a, f.value);
    }
  }
  return values;
}

KeyValueList soundSectionPairs(int page, const SoundPageValues& values) {
  KeyValueList pairs;
  for (const SoundField& f : soundPageFields(page)) {
    if (f.value == V::loop) {
      auto it = values.checks.find(f.controlId);
      pairs.emplace_back(soundKey(f), it != values.checks.end() && it->second ? "1" : "0");
    } else {
      auto it = values.texts.find(f.controlId);
      pairs.emplace_back(soundKey(f), it != values.texts.end() ? dialogBoxText(it->second) : std::string());
    }
  }
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
