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
#include <span>

#include "ui/dialog_units.h"
#include "ui/settings_dialogs.h"

namespace jinro::ui {

namespace {

// The sheet's texts, in UTF-8.
constexpr char kSheetTitle[] = "音声の設定";
constexpr char kPage1[] = "音声の設定1";
constexpr char kPage2[] = "音声の設定2";
constexpr char kPage3[] = "音声の設定3";
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

// The controls of the pages in the order Tab visits them, positions and
// widths in dialog units. Each sits in its alarm's group; a box or check box
// holds one field of that alarm, an "開く" button fills its sound path.
enum class Item { group, note, box, open, check };
struct Control {
  Item item;
  AlarmKind kind;
  AlarmField field;   // boxes and check boxes
  int x, y, w;        // w: width of a box
  const char* text;   // caption of a note, button or check box, or the label left of a box
};

using K = AlarmKind;
using F = AlarmField;

// The group's caption is the alarm's name, shared with the notifications.
constexpr Control groupOf(K kind, int x, int y) { return {Item::group, kind, F::loop, x, y, 0, nullptr}; }
constexpr Control noteIn(K kind, int x, int y, const char* text) { return {Item::note, kind, F::loop, x, y, 0, text}; }
constexpr Control boxOf(K kind, F field, int x, int y, int w, const char* label) {
  return {Item::box, kind, field, x, y, w, label};
}
constexpr Control openerOf(K kind, int x, int y) { return {Item::open, kind, F::soundPath, x, y, 0, kOpen}; }
constexpr Control checkOf(K kind, int x, int y, const char* text) { return {Item::check, kind, F::loop, x, y, 0, text}; }

constexpr Control kPage1Controls[] = {
    groupOf(K::night, 7, 11),
    boxOf(K::night, F::leftTrigger, 64, 22, 52, kLeftTrigger),
    boxOf(K::night, F::middleTrigger, 185, 22, 52, kMiddleTrigger),
    boxOf(K::night, F::rightTrigger, 300, 22, 52, kRightTrigger),
    boxOf(K::night, F::soundPath, 92, 41, 164, kWaveFile),
    openerOf(K::night, 262, 41),
    checkOf(K::night, 304, 43, kRepeat),
    groupOf(K::daytime, 7, 67),
    noteIn(K::daytime, 17, 82, kDaytimeNote),
    boxOf(K::daytime, F::soundPath, 93, 97, 164, kWaveFile),
    openerOf(K::daytime, 263, 97),
    checkOf(K::daytime, 305, 99, kRepeat),
    groupOf(K::tohyo, 7, 123),
    boxOf(K::tohyo, F::trigger, 66, 134, 285, kTrigger),
    boxOf(K::tohyo, F::soundPath, 93, 153, 164, kWaveFile),
    openerOf(K::tohyo, 263, 153),
    checkOf(K::tohyo, 305, 155, kRepeat),
    groupOf(K::kodo, 6, 180),
    boxOf(K::kodo, F::trigger, 65, 190, 285, kTrigger),
    boxOf(K::kodo, F::soundPath, 92, 209, 164, kWaveFile),
    openerOf(K::kodo, 263, 209),
    checkOf(K::kodo, 304, 211, kRepeat),
};

constexpr Control kPage2Controls[] = {
    groupOf(K::sonmin, 7, 11),
    boxOf(K::sonmin, F::trigger, 66, 22, 285, kTrigger),
    boxOf(K::sonmin, F::soundPath, 90, 41, 165, kMidiFile),
    openerOf(K::sonmin, 262, 41),
    checkOf(K::sonmin, 304, 43, kRepeat),
    groupOf(K::jinro, 7, 67),
    boxOf(K::jinro, F::trigger, 66, 78, 285, kTrigger),
    boxOf(K::jinro, F::soundPath, 91, 97, 165, kMidiFile),
    openerOf(K::jinro, 263, 97),
    checkOf(K::jinro, 305, 99, kRepeat),
    groupOf(K::yoko, 7, 123),
    boxOf(K::yoko, F::trigger, 66, 134, 285, kTrigger),
    boxOf(K::yoko, F::soundPath, 91, 153, 165, kMidiFile),
    openerOf(K::yoko, 263, 153),
    checkOf(K::yoko, 305, 155, kRepeat),
    groupOf(K::hikiwake, 6, 180),
    boxOf(K::hikiwake, F::trigger, 65, 190, 285, kTrigger),
    boxOf(K::hikiwake, F::soundPath, 90, 209, 165, kMidiFile),
    openerOf(K::hikiwake, 263, 209),
    checkOf(K::hikiwake, 304, 211, kRepeat),
};

constexpr Control kPage3Controls[] = {
    groupOf(K::nekomata, 6, 11),
    boxOf(K::nekomata, F::trigger, 65, 21, 285, kTrigger),
    boxOf(K::nekomata, F::soundPath, 89, 41, 165, kMidiFile),
    openerOf(K::nekomata, 262, 41),
    checkOf(K::nekomata, 304, 43, kRepeat),
    groupOf(K::sonmintoroku, 7, 67),
    boxOf(K::sonmintoroku, F::trigger, 66, 78, 285, kTrigger),
    boxOf(K::sonmintoroku, F::soundPath, 90, 97, 165, kMidiFile),
    openerOf(K::sonmintoroku, 263, 97),
    checkOf(K::sonmintoroku, 305, 99, kRepeat),
    groupOf(K::full_alarm, 7, 123),
    checkOf(K::full_alarm, 18, 137, kAlarmOn),
    boxOf(K::full_alarm, F::soundPath, 93, 153, 165, kWaveFile),
    openerOf(K::full_alarm, 265, 153),
};

std::span<const Control> pageControls(int page) {
  switch (page) {
    case 0: return kPage1Controls;
    case 1: return kPage2Controls;
    default: return kPage3Controls;
  }
}

constexpr const char* kPageTitles[kSoundPageCount] = {kPage1, kPage2, kPage3};

// A control is named by the jinro.ini key it holds ("tohyo_trigger_string"),
// an "開く" button by its alarm's ("tohyo_open").
QString controlName(const Control& control) {
  if (control.item == Item::open) return QString::fromLatin1(keyPrefix(control.kind)) + QStringLiteral("_open");
  for (const SoundKey& key : soundKeys())
    if (key.kind == control.kind && key.field == control.field) return QString::fromLatin1(key.key);
  return {};
}

// A path goes into a box only when the settings can hold it whole.
bool fitsSoundPath(const QString& path) { return fitsDialogBox(path.toStdString()); }

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
        auto* group = new QGroupBox(QString::fromUtf8(alarmLabel(control.kind)), this);
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
        box->setObjectName(controlName(control));
        box->setGeometry(du.rect(control.x, control.y, control.w, 14));
        const SoundField field{control.kind, control.field};
        boxes_[field] = box;
        if (firstBox_ == nullptr) firstBox_ = box;
        auto it = values.texts.find(field);
        if (it != values.texts.end()) box->setText(QString::fromStdString(it->second));
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
        button->setObjectName(controlName(control));
        button->setGeometry(du.rect(control.x, control.y, 33, 14));
        openButtons_[control.kind] = button;
        // Enter on a focused "開く" opens the chooser (rather than pressing OK).
        button->setAutoDefault(true);
        const AlarmKind kind = control.kind;
        connect(button, &QPushButton::clicked, this, [this, kind] { openFor(kind); });
        break;
      }
      case Item::check: {
        auto* check = new QCheckBox(QString::fromUtf8(control.text), this);
        check->setObjectName(controlName(control));
        checks_[control.kind] = check;
        const QRect r = du.rect(control.x, control.y, 51, 10);
        // Never narrower than its text needs.
        check->setGeometry(r.x(), r.y(), std::max(r.width(), check->sizeHint().width()), r.height());
        auto it = values.checks.find(SoundField{control.kind, control.field});
        check->setChecked(it != values.checks.end() && it->second);
        break;
      }
    }
  }
}

QLineEdit* SoundSettingsPage::box(AlarmKind kind, AlarmField field) const {
  auto it = boxes_.find(SoundField{kind, field});
  return it != boxes_.end() ? it->second : nullptr;
}
QCheckBox* SoundSettingsPage::checkBox(AlarmKind kind) const {
  auto it = checks_.find(kind);
  return it != checks_.end() ? it->second : nullptr;
}
QPushButton* SoundSettingsPage::openButton(AlarmKind kind) const {
  auto it = openButtons_.find(kind);
  return it != openButtons_.end() ? it->second : nullptr;
}

SoundPageValues SoundSettingsPage::values() const {
  SoundPageValues values;
  for (const auto& [field, edit] : boxes_) values.texts[field] = edit->text().toStdString();
  for (const auto& [kind, check] : checks_) values.checks[SoundField{kind, AlarmField::loop}] = check->isChecked();
  return values;
}

void SoundSettingsPage::openFor(AlarmKind kind) {
  const std::optional<QString> path = chooser_ ? chooser_(this) : chooseSoundFile(this);
  if (!path) return;
  if (!fitsSoundPath(*path)) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kErrorCaption), QString::fromUtf8(kBadPath),
                    QMessageBox::Ok, this);
    box.exec();
    return;
  }
  if (QLineEdit* target = box(kind, AlarmField::soundPath)) target->setText(*path);
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
  pages_[0]->firstBox()->setFocus(Qt::OtherFocusReason);
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
