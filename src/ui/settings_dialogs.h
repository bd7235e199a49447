#pragma once
// Entry points of the two settings dialogs, opened modally by the main
// window. While one is open its nested event loop keeps the main window's
// timer, sound notices and browser events running.
class QWidget;

namespace jinro {
class Client;
}

// "全般の設定": 3 after OK, 4 after Cancel.
int runGeneralSettingsDialog(jinro::Client& c, QWidget* parent);
// "音声の設定": QDialog::Accepted after OK, QDialog::Rejected otherwise.
int runSoundSettingsSheet(jinro::Client& c, QWidget* parent);
