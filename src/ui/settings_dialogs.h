#pragma once
// The two settings dialogs as the main window opens them: modal for the
// player, while the program goes on (pages load, the timer ticks, alarms
// sound). Each deletes itself when closed; the dialog is returned.
class QDialog;
class QWidget;

namespace jinro {
class Client;
}

// "全般の設定": finishes with QDialog::Accepted after OK (the settings saved),
// QDialog::Rejected after Cancel (ui::GeneralDialogResult).
QDialog* openGeneralSettingsDialog(jinro::Client& c, QWidget* parent);
// "音声の設定": finishes with QDialog::Accepted after OK, QDialog::Rejected otherwise.
QDialog* openSoundSettingsSheet(jinro::Client& c, QWidget* parent);
