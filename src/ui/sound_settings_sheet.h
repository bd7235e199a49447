#pragma once
// "音声の設定": the eleven alarm kinds on three tabbed pages. A page is built
// the first time its tab is shown; OK writes the sections of the pages built
// in this showing, Cancel, Escape and the close box change nothing. Each box
// and check box stands for one field of one alarm (SoundField), and is named
// by its key in jinro.ini.
#include <QDialog>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <optional>

#include "client/client.h"
#include "settings/settings_sections.h"

class QCheckBox;
class QFileDialog;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace jinro::ui {

// Asks the player for a sound file; the file's full path, or nothing.
using SoundFileChooser = std::function<std::optional<QString>(QWidget* owner)>;

// "再生したい音声ファイルを選択"; the four filters, "wav file(*.wav)" first and
// selected; default suffix "wav"; only an existing file can be chosen.
void configureSoundFileDialog(QFileDialog& dialog);
// The chooser the sheet uses unless it is given another.
std::optional<QString> chooseSoundFile(QWidget* owner);

class SoundSettingsPage : public QWidget {
  Q_OBJECT
 public:
  SoundSettingsPage(int page, const Settings& settings, const SoundFileChooser& chooser, QWidget* parent);
  int pageIndex() const { return page_; }
  // The box of the alarm's field, the check box of its loop (or, for the
  // capacity alarm, alarm-on) switch, and the "開く" button that fills its
  // sound path; nullptr when the page has none.
  QLineEdit* box(AlarmKind kind, AlarmField field) const;
  QCheckBox* checkBox(AlarmKind kind) const;
  QPushButton* openButton(AlarmKind kind) const;
  // The first box Tab visits.
  QLineEdit* firstBox() const { return firstBox_; }
  SoundPageValues values() const;

 private:
  void openFor(AlarmKind kind);

  int page_;
  const SoundFileChooser& chooser_;
  std::map<SoundField, QLineEdit*> boxes_;
  std::map<AlarmKind, QCheckBox*> checks_;
  std::map<AlarmKind, QPushButton*> openButtons_;
  QLineEdit* firstBox_ = nullptr;
};

class SoundSettingsSheet : public QDialog {
  Q_OBJECT
 public:
  // An empty chooser means chooseSoundFile.
  SoundSettingsSheet(Client& c, QWidget* parent, SoundFileChooser chooser = {});
  QTabWidget* tabs() const { return tabs_; }
  // The page, or nullptr while its tab has not been shown.
  SoundSettingsPage* page(int index) const { return pages_[index]; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ensurePage(int index);
  void focusFirstControl();
  void confirm();

  Client& c_;
  SoundFileChooser chooser_;
  QTabWidget* tabs_;
  std::array<QWidget*, kSoundPageCount> holders_{};
  std::array<SoundSettingsPage*, kSoundPageCount> pages_{};
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace jinro::ui
