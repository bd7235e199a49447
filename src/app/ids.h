#pragma once
// Command ids, private message numbers and other identifiers by which the
// parts of the client address the main window. The numbers are the program's
// own and are kept stable: tests and the settings rely on them.
#include <cstdint>

namespace jinro {

// Menu bar commands.
inline constexpr int IDM_SOUND_ON = 40001;
inline constexpr int IDM_SOUND_OFF = 40002;
inline constexpr int IDM_MANUAL_REFRESH = 40005;
inline constexpr int IDM_AUTO_REFRESH = 40006;
inline constexpr int IDM_EXIT = 40007;
inline constexpr int IDM_MINIMIZE_ALL = 40008;
inline constexpr int IDM_GENERAL_SETTINGS = 40010;
inline constexpr int IDM_SOUND_SETTINGS = 40011;
inline constexpr int IDM_OPEN_README = 40013;
inline constexpr int IDM_VERSION = 40014;
inline constexpr int IDM_CLOSE_ALL_LOG_WINDOWS = 40016;

// Toolbar.
inline constexpr int ID_TOOLBAR = 50006;
inline constexpr int ID_TB_MANUAL_REFRESH = 50007;
inline constexpr int ID_TB_AUTO_REFRESH = 50008;
inline constexpr int ID_TB_RETURN_TOP = 50009;
inline constexpr int ID_TB_REVERSE = 50013;
inline constexpr int ID_TB_COPY_SPEECH = 50034;

// The one timer.
inline constexpr int ID_AUTO_REFRESH_TIMER = 50012;

// Window-menu commands (on Windows they sat in the system menu).
inline constexpr int IDM_SYS_MOVE_ALL_TOP_LEFT = 50019;
inline constexpr int IDM_SYS_MINIMIZE_ALL = 50021;

// Messages understood by the main window's dispatcher.
inline constexpr uint32_t WM_SETTEXT = 0x000C;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t MM_MCINOTIFY = 0x03B9;
inline constexpr uint32_t WM_SET_AUTO_REFRESH = 50016;
inline constexpr uint32_t WM_ENABLE_SPEECH_COPY = 50035;
inline constexpr uint32_t WM_DISABLE_SPEECH_COPY = 50036;

// Toolbar button states.
inline constexpr int TBSTATE_DISABLED = 0;
inline constexpr int TBSTATE_ENABLED = 4;
inline constexpr int TBSTATE_CHECKED_ENABLED = 6;

// Sound device notice codes.
inline constexpr uint32_t MCI_NOTIFY_SUCCESSFUL = 1;
inline constexpr uint32_t MCI_NOTIFY_SUPERSEDED = 2;
inline constexpr uint32_t MCI_NOTIFY_ABORTED = 4;

// "None" for lastPhase and currentAlarm.
inline constexpr int32_t kNone = 100;
inline constexpr int32_t kPhaseDay = 1;
inline constexpr int32_t kPhaseNight = 0;

// The texts the program shows.
inline constexpr char kMainWindowClass[] = "CLS_ZAZOR_AVOVEZ_32v1";
inline constexpr char kViewerWindowClass[] = "QuillpaneClass_9gdFZb";

}  // namespace jinro
