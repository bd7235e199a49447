#pragma once
// What the two settings dialogs write into jinro.ini and what follows an OK.
// The dialogs hand over the texts of their boxes (UTF-8) and the states of
// their check boxes; everything here is free of any toolkit. The file holds
// the texts in Shift_JIS: they are converted, and measured, here.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "settings/settings.h"

namespace jinro {

// A box's text is written with at most this many bytes of Shift_JIS.
inline constexpr size_t kDialogTextLimit = 259;
inline constexpr int32_t kMinRefreshInterval = 10;
inline constexpr int32_t kMaxRefreshInterval = 10000;

// The Shift_JIS bytes a single-line box's UTF-8 text is written as: up to its
// first line break or zero byte (a single-line box holds one line), then cut
// to 259 bytes without splitting a double-byte character. Characters
// Shift_JIS cannot hold become '?'.
std::string dialogBoxText(std::string_view utf8);

// Whether the file can hold the UTF-8 text whole: at most 259 bytes in
// Shift_JIS, and every character representable there.
bool fitsDialogBox(std::string_view utf8);

// ---- the general settings dialog ("ZENPAN") ----

// The interval box's text as seconds when it is a decimal number of ASCII
// digits (leading zeros allowed) from 10 to 10000; nothing otherwise.
std::optional<int32_t> parseRefreshInterval(std::string_view text);

// The interval the box shows for a stored one: a stored value outside 10 to
// 10000 (only possible by editing the file) shows as the nearer bound. The
// stored value is the file's 32-bit number, so it is taken as signed.
int32_t shownRefreshInterval(uint32_t stored);

// One step of the arrows from the box's text: the text's number when it is one
// (brought into the range), else `fallback`; then `delta` seconds, stopping
// at 10 and at 10000 (an arrow held at an end stays there rather than jumping
// to the other end).
int32_t stepRefreshInterval(std::string_view text, int32_t fallback, int delta);

// What the dialog holds: its four boxes as UTF-8 texts (as typed, before
// the cut of dialogBoxText), its two check boxes and its choice.
struct GeneralDialogTexts {
  std::string startUrl;  // the non-frame version's URL, the start page (URL_non_frame)
  std::string frameUrl;  // the frame version's URL (URL_frame)
  std::string cgiUrl;    // the main CGI's URL (URL_cgi)
  std::string interval;  // the automatic refresh's seconds (jidokosin_kankaku)
  bool notifyDesktop = true;  // check box "デスクトップ通知"
  bool notifyUrgency = true;  // check box "タスクバーで知らせる"
  ServerKind serverKind = ServerKind::automatic;  // choice "サーバーの種類"
};

GeneralDialogTexts generalDialogTextsFrom(const Settings& settings);
// The pairs of "ZENPAN" in the file's order, each text as dialogBoxText gives it.
KeyValueList generalSectionPairs(const GeneralDialogTexts& texts);
// Writes "ZENPAN" from the texts.
Result<void> saveGeneralSection(const GeneralDialogTexts& texts);

enum class GeneralOkResult { saved, badInterval, writeFailed };

// ---- the sound settings sheet ("SOUND1" to "SOUND3") ----

inline constexpr int kSoundPageCount = 3;

// "SOUND1", "SOUND2", "SOUND3" for pages 0, 1, 2.
std::string_view soundSectionName(int page);

// The name the sheet gives the kind's alarm (its group's caption), UTF-8:
// "夜に変わった時", "投票時間中", ... The desktop notification uses it too, so
// the player meets one name for one alarm.
inline constexpr std::string_view alarmLabel(AlarmKind kind) {
  switch (kind) {
    case AlarmKind::night: return "夜に変わった時";
    case AlarmKind::daytime: return "昼に変わった時";
    case AlarmKind::tohyo: return "投票時間中";
    case AlarmKind::kodo: return "行動決定時間中";
    case AlarmKind::sonmin: return "村民勝利時";
    case AlarmKind::jinro: return "人狼勝利時";
    case AlarmKind::yoko: return "妖弧勝利時";  // sic: 弧, as the sheet has always shown it
    case AlarmKind::hikiwake: return "引き分け時";
    case AlarmKind::nekomata: return "猫又勝利時";
    case AlarmKind::sonmintoroku: return "村民登録中";
    case AlarmKind::full_alarm: return "事件前日の参加者定員到達アラーム";
  }
  return {};
}

// One key of a page's section: which field of which alarm it holds. A page's
// section holds the keys of soundKeys() (settings/settings.h) that name it,
// in their order.
struct SoundField {
  AlarmKind kind;
  AlarmField field;
  auto operator<=>(const SoundField&) const = default;
};

// What a page shows: the boxes' texts (UTF-8) and the check boxes' states
// (the loop fields), by the field each stands for.
struct SoundPageValues {
  std::map<SoundField, std::string> texts;
  std::map<SoundField, bool> checks;
};

// The page's values as they are filled from the settings: every text field its
// text, every loop field checked when its flag is exactly 1.
SoundPageValues soundPageValuesFrom(const Settings& settings, int page);
// The pairs of the page's section; a field without a value counts as
// empty/unchecked.
KeyValueList soundSectionPairs(int page, const SoundPageValues& values);

// The pages created in one showing of the sheet; nullptr for a page never shown.
using SoundSheetPages = std::array<const SoundPageValues*, kSoundPageCount>;

// Writes the sections of the created pages, in page order; the others keep
// what the file holds. Every section is tried; the first failure is told.
Result<void> saveSoundSections(const SoundSheetPages& pages);

}  // namespace jinro
