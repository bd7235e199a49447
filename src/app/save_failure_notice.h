#pragma once
// Telling the player that the settings could not be saved: one message box in
// a run, whichever save failed first, so that a folder that cannot be written
// is never a silent loss and never a box on every save.
#include <string>

#include "app/client_controller.h"

namespace jinro {

// 「設定を保存できません」
inline constexpr char kSaveFailureCaption[] =
    "\x90\xDD\x92\xE8\x82\xF0\x95\xDB\x91\xB6\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";
// 「設定ファイル jinro.ini に書き込めませんでした。ウィンドウの位置や設定の変更は
// 保存されていません。jinro.ini のあるフォルダーに書き込めるか確かめてください。」
inline constexpr char kSaveFailureText[] =
    "\x90\xDD\x92\xE8\x83t\x83@\x83" "C\x83\x8B jinro.ini \x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9"
    "\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81" "B\x83" "E\x83" "B\x83\x93\x83h\x83" "E\x82\xCC\x88\xCA\x92u\x82\xE2\x90"
    "\xDD\x92\xE8\x82\xCC\x95\xCF\x8DX\x82\xCD\x95\xDB\x91\xB6\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82"
    "\xF1\x81" "Bjinro.ini \x82\xCC\x82\xA0\x82\xE9\x83t\x83H\x83\x8B\x83_\x81[\x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82"
    "\xDF\x82\xE9\x82\xA9\x8Am\x82\xA9\x82\xDF\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81" "B";

// Called with the result of every settings save (writeSection,
// saveWindowPlacement, the dialogs' saves). The first failure of the run shows
// the message box through the main window and writes a line on standard
// error; later failures only the line. Returns `saved`.
bool noteSettingsSave(ClientController& c, bool saved);

// Whether a save of the settings file at `path` can succeed now: it is a
// regular file or absent, and a file as large as it plus some room can be
// written beside it and removed again (the way a save replaces it). Leaves
// the file untouched. `why` says what failed.
bool settingsFileWritable(const std::string& path, std::string& why);

// The start-up check: when a save of the settings file at `path` cannot
// succeed, says why on standard error and tells the player the way a failed
// save does (so the close does not tell it again). Returns whether it can.
bool checkSettingsWritable(ClientController& c, const std::string& path);

}  // namespace jinro
