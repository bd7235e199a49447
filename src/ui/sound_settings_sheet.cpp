#include "ui/sound_settings_sheet.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/dialog_units.h"
#include "ui/settings_dialogs.h"

namespace jinro::ui {

namespace {

// The sheet's texts, in UTF-8.
constexpr char kSheetTitle[] = "音声の設定";
constexpr char kPage1[] = "音声の設定1";
constexpr char kPage2[] = "音声の設定2";
constexpr char kPage3[] = "音声の設定3";
// The groups' captions are the alarms' names, shared with the notifications.
constexpr const char* groupCaption(AlarmKind kind) { return alarmLabel(kind).data(); }
constexpr const char* kGroupNight = groupCaption(AlarmKind::night);
constexpr const char* kGroupDaytime = groupCaption(AlarmKind::daytime);
constexpr const char* kGroupTohyo = groupCaption(AlarmKind::tohyo);
constexpr const char* kGroupKodo = groupCaption(AlarmKind::kodo);
constexpr const char* kGroupSonmin = groupCaption(AlarmKind::sonmin);
constexpr const char* kGroupJinro = groupCaption(AlarmKind::jinro);
constexpr const char* kGroupYoko = groupCaption(AlarmKind::yoko);
constexpr const char* kGroupHikiwake = groupCaption(AlarmKind::hikiwake);
constexpr const char* kGroupNekomata = groupCaption(AlarmKind::nekomata);
constexpr const char* kGroupSonmintoroku = groupCaption(AlarmKind::sonmintoroku);
constexpr const char* kGroupFullAlarm = groupCaption(AlarmKind::full_alarm);
constexpr char kLeftTrigger[] = "左トリガー文字列";
constexpr char kMiddleTrigger[] = "中央トリガー文字列";
constexpr char kRightTrigger[] = "右トリガー文字列";
constexpr char kTrigger[] = "トリガー文字列";
constexpr char kWaveFile[] = "音声ファイル(Waveのみ)";
constexpr char kMidiFile[] = "音声ファイル(MIDIのみ)";
constexpr char kOpen[] = "開く";
constexpr char kRepeat[] = "繰り返し再生";
constexpr char kAlarmOn[] = "アラームON";
constexpr char kDaytimeNote[] = "※夜に変わった時のトリガーに引っ掛からなければ昼と判定します。";
constexpr char kChooserTitle[] = "再生したい音声ファイルを選択";
constexpr char kCancelSheet[] = "キャンセル";
constexpr char kBadPath[] =
    "選択したファイルのパスは、259バイトを超えるか、使えない文字を含むため設定できません。";

// The controls of the pages, positions and widths in dialog units.
enum class Item { group, note, box, open, check };
struct Control {
  Item item;
  int id;      // 0 for groups and notes
  int x, y, w; // w: width of a box
  const char* text;  // caption, or the label left of a box
  int target;  // the box an "開く" button fills
};

constexpr Control kPage1Controls[] = {
    {Item::group, 0, 7, 11, 0, kGroupNight, 0},
    {Item::box, 1016, 64, 22, 52, kLeftTrigger, 0},
    {Item::box, 1021, 185, 22, 52, kMiddleTrigger, 0},
    {Item::box, 1023, 300, 22, 52, kRightTrigger, 0},
    {Item::box, 1017, 92, 41, 164, kWaveFile, 0},
    {Item::open, 1018, 262, 41, 0, kOpen, 1017},
    {Item::check, 1019, 304, 43, 0, kRepeat, 0},
    {Item::group, 0, 7, 67, 0, kGroupDaytime, 0},
    {Item::note, 0, 17, 82, 0, kDaytimeNote, 0},
    {Item::box, 1030, 93, 97, 164, kWaveFile, 0},
    {Item::open, 1031, 263, 97, 0, kOpen, 1030},
    {Item::check, 1032, 305, 99, 0, kRepeat, 0},
    {Item::group, 0, 7, 123, 0, kGroupTohyo, 0},
    {Item::box, 1033, 66, 134, 285, kTrigger, 0},
    {Item::box, 1034, 93, 153, 164, kWaveFile, 0},
    {Item::open, 1035, 263, 153, 0, kOpen, 1034},
    {Item::check, 1036, 305, 155, 0, kRepeat, 0},
    {Item::group, 0, 6, 180, 0, kGroupKodo, 0},
    {Item::box, 1048, 65, 190, 285, kTrigger, 0},
    {Item::box, 1049, 92, 209, 164, kWaveFile, 0},
    {Item::open, 1051, 263, 209, 0, kOpen, 1049},
    {Item::check, 1050, 304, 211, 0, kRepeat, 0},
};

constexpr Control kPage2Controls[] = {
    {Item::group, 0, 7, 11, 0, kGroupSonmin, 0},
    {Item::box, 1041, 66, 22, 285, kTrigger, 0},
    {Item::box, 1042, 90, 41, 165, kMidiFile, 0},
    {Item::open, 1043, 262, 41, 0, kOpen, 1042},
    {Item::check, 1044, 304, 43, 0, kRepeat, 0},
    {Item::group, 0, 7, 67, 0, kGroupJinro, 0},
    {Item::box, 1045, 66, 78, 285, kTrigger, 0},
    {Item::box, 1020, 91, 97, 165, kMidiFile, 0},
    {Item::open, 1021, 263, 97, 0, kOpen, 1020},
    {Item::check, 1022, 305, 99, 0, kRepeat, 0},
    {Item::group, 0, 7, 123, 0, kGroupYoko, 0},
    {Item::box, 1007, 66, 134, 285, kTrigger, 0},
    {Item::box, 1023, 91, 153, 165, kMidiFile, 0},
    {Item::open, 1024, 263, 153, 0, kOpen, 1023},
    {Item::check, 1025, 305, 155, 0, kRepeat, 0},
    {Item::group, 0, 6, 180, 0, kGroupHikiwake, 0},
    {Item::box, 1010, 65, 190, 285, kTrigger, 0},
    {Item::box, 1026, 90, 209, 165, kMidiFile, 0},
    {Item::open, 1027, 263, 209, 0, kOpen, 1026},
    {Item::check, 1028, 304, 211, 0, kRepeat, 0},
};

constexpr Control kPage3Controls[] = {
    {Item::group, 0, 6, 11, 0, kGroupNekomata, 0},
    {Item::box, 1041, 65, 21, 285, kTrigger, 0},
    {Item::box, 1047, 89, 41, 165, kMidiFile, 0},
    {Item::open, 1046, 262, 41, 0, kOpen, 1047},
    {Item::check, 1013, 304, 43, 0, kRepeat, 0},
    {Item::group, 0, 7, 67, 0, kGroupSonmintoroku, 0},
    {Item::box, 1037, 66, 78, 285, kTrigger, 0},
    {Item::box, 1038, 90, 97, 165, kMidiFile, 0},
    {Item::open, 1039, 263, 97, 0, kOpen, 1038},
    {Item::check, 1040, 305, 99, 0, kRepeat, 0},
    {Item::group, 0, 7, 123, 0, kGroupFullAlarm, 0},
    {Item::check, 1044, 18, 137, 0, kAlarmOn, 0},
    {Item::box, 1042, 93, 153, 165, kWaveFile, 0},
    {Item::open, 1043, 265, 153, 0, kOpen, 1042},
};

std::span<const Control> pageControls(int page) {
  switch (page) {
    case 0: return kPage1Controls;
    case 1: return kPage2Controls;
    default: return kPage3Controls;
  }
}

constexpr const char* kPageTitles[kSoundPageCount] = {kPage1, kPage2, kPage3};

QString idName(int id) { return QString::number(id); }

// A path goes into a box only when the settings can hold it: at most 259
// bytes in Shift_JIS, and every character representable there.
bool fitsSoundPath(const QString& path) {
  const std::string bytes = toShiftJis(path);
  return bytes.size() <= kDialogTextLimit && fromShiftJis(bytes) == path;
}

}  // namespace

// ---- the file chooser ----

void configureSoundFileDialog(QFileDialog& dialog) {
  dialog.setWindowTitle(QString::fromUtf8(kChooserTitle));
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  const QStringList filters = {QStringLiteral("wav file(*.wav)"), QStringLiteral("mid file(*.mid)"),
                               QStringLiteral("mp3 file(*.mp3)"), QStringLiteral("All files(*.*)")};
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.first());
  dialog.setDefaultSuffix(QStringLiteral("wav"));
}

std::optional<QString> chooseSoundFile(QWidget* owner) {
  QFileDialog dialog(owner);
  configureSoundFileDialog(dialog);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(files.first());
}

// ---- a page ----

SoundSettingsPage::SoundSettingsPage(int page, const Settings& settings, const SoundFileChooser& chooser,
                                     QWidget* parent)
    : QWidget(parent), page_(page), chooser_(chooser) {
  const DialogUnits du(font());
  setMinimumSize(du.size(365, 241));
  const SoundPageValues values = soundPageValuesFrom(settings, page);

  for (const Control& control : pageControls(page)) {
    switch (control.item) {
      case Item::group: {
        auto* group = new QGroupBox(QString::fromUtf8(control.text), this);
        group->setGeometry(du.rect(control.x, control.y, 352, 52));
        // The frame runs through the middle of the caption, as on the desktop
        // the layout was made for, so the first row sits inside it.
        group->setStyleSheet(QStringLiteral(
            "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: %1px; }"
            "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: %2px;"
            " padding: 0 2px; }")
                                 .arg(du.y(4))
                                 .arg(du.x(2)));
        group->lower();
        break;
      }
      case Item::note: {
        auto* note = new QLabel(QString::fromUtf8(control.text), this);
        note->move(du.point(control.x, control.y));
        note->adjustSize();
        break;
      }
      case Item::box: {
        auto* box = new QLineEdit(this);
        box->setObjectName(idName(control.id));
        box->setGeometry(du.rect(control.x, control.y, control.w, 14));
        auto it = values.texts.find(control.id);
        if (it != values.texts.end()) box->setText(fromShiftJis(it->second));
        box->setCursorPosition(0);  // show the text from its start
        // The label sits left of its box, its right edge two units before it.
        auto* label = new QLabel(QString::fromUtf8(control.text), this);
        label->adjustSize();
        const QRect boxRect = box->geometry();
        label->move(boxRect.left() - du.x(2) - label->width(), boxRect.center().y() - label->height() / 2);
        break;
      }
      case Item::open: {
        auto* button = new QPushButton(QString::fromUtf8(control.text), this);
        button->setObjectName(idName(control.id));
        button->setGeometry(du.rect(control.x, control.y, 33, 14));
        // Enter on a focused "開く" opens the chooser (rather than pressing OK).
        button->setAutoDefault(true);
        const int target = control.target;
        connect(button, &QPushButton::clicked, this, [this, target] { openFor(target); });
        break;
      }
      case Item::check: {
        auto* check = new QCheckBox(QString::fromUtf8(control.text), this);
        check->setObjectName(idName(control.id));
        const QRect r = du.rect(control.x, control.y, 51, 10);
        // Never narrower than its text needs.
        check->setGeometry(r.x(), r.y(), std::max(r.width(), check->sizeHint().width()), r.height());
        auto it = values.checks.find(control.id);
        check->setChecked(it != values.checks.end() && it->second);
        break;
      }
    }
  }
}

QLineEdit* SoundSettingsPage::box(int id) const { return findChild<QLineEdit*>(idName(id)); }
QCheckBox* SoundSettingsPage::checkBox(int id) const { return findChild<QCheckBox*>(idName(id)); }
QPushButton* SoundSettingsPage::openButton(int id) const { return findChild<QPushButton*>(idName(id)); }

SoundPageValues SoundSettingsPage::values() const {
  SoundPageValues values;
  for (const SoundField& field : soundPageFields(page_)) {
    if (field.value == SoundValue::loop) {
      if (QCheckBox* check = checkBox(field.controlId)) values.checks[field.controlId] = check->isChecked();
    } else if (QLineEdit* edit = box(field.controlId)) {
      values.texts[field.controlId] = toShiftJis(edit->text());
    }
  }
  return values;
}

void SoundSettingsPage::openFor(int boxId) {
  const std::optional<QString> path = chooser_ ? chooser_(this) : chooseSoundFile(this);
  if (!path) return;
  if (!fitsSoundPath(*path)) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kErrorCaption), QString::fromUtf8(kBadPath),
                    QMessageBox::Ok, this);
    box.exec();
    return;
  }
  if (QLineEdit* target = box(boxId)) target->setText(*path);
}

// ---- the sheet ----

SoundSettingsSheet::SoundSettingsSheet(Client& c, QWidget* parent, SoundFileChooser chooser)
    : QDialog(parent), c_(c), chooser_(std::move(chooser)), tabs_(new QTabWidget(this)) {
  setWindowTitle(QString::fromUtf8(kSheetTitle));
  setFont(settingsDialogFont());
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  const DialogUnits du(font());
  for (int i = 0; i < kSoundPageCount; ++i) {
    holders_[i] = new QWidget;
    holders_[i]->setMinimumSize(du.size(365, 241));
    auto* layout = new QVBoxLayout(holders_[i]);
    layout->setContentsMargins(0, 0, 0, 0);
    tabs_->addTab(holders_[i], QString::fromUtf8(kPageTitles[i]));
  }

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  cancel_ = buttons->addButton(QString::fromUtf8(kCancelSheet), QDialogButtonBox::RejectRole);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &SoundSettingsSheet::confirm);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // The first page at once, each other one when its tab is first shown.
  ensurePage(0);
  tabs_->setCurrentIndex(0);
  focusFirstControl();
  connect(tabs_, &QTabWidget::currentChanged, this, &SoundSettingsSheet::ensurePage);
}

void SoundSettingsSheet::focusFirstControl() {
  pages_[0]->box(soundPageFields(0).front().controlId)->setFocus(Qt::OtherFocusReason);
}

void SoundSettingsSheet::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // As on a property sheet, the first control of the first page has the
  // focus. Set again once the window is up: its activation may have moved it.
  if (!event->spontaneous()) QTimer::singleShot(0, this, [this] {
      if (tabs_->currentIndex() == 0 && !pages_[0]->isAncestorOf(focusWidget())) focusFirstControl();
    });
}

void SoundSettingsSheet::ensurePage(int index) {
  if (index < 0 || index >= kSoundPageCount || pages_[index] != nullptr) return;
  pages_[index] = new SoundSettingsPage(index, c_.settings(), chooser_, holders_[index]);
  holders_[index]->layout()->addWidget(pages_[index]);
}

void SoundSettingsSheet::confirm() {
  std::array<SoundPageValues, kSoundPageCount> values;
  SoundSheetPages created{};
  for (int i = 0; i < kSoundPageCount; ++i) {
    if (pages_[i] == nullptr) continue;
    values[i] = pages_[i]->values();
    created[i] = &values[i];
  }
  if (!c_.confirmSoundSheet(created)) {
    c_.settingsSaves().markTold();  // told here: the close need not tell it again
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kErrorCaption), QString::fromUtf8(kSettingsWriteFailed),
                    QMessageBox::Ok, this);
    box.exec();
    return;
  }
  accept();
}

}  // namespace jinro::ui

QDialog* openSoundSettingsSheet(jinro::Client& c, QWidget* parent) {
  auto* sheet = new jinro::ui::SoundSettingsSheet(c, parent);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  sheet->open();
  return sheet;
}
