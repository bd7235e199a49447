#include "ui/general_settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include "settings/settings_sections.h"
#include "ui/dialog_units.h"
#include "ui/settings_dialogs.h"

namespace jinro::ui {

namespace {

// The dialog's texts, in UTF-8.
constexpr char kTitle[] = "全般の設定";
constexpr char kGameTitle[] = "「Moonvale」Thornfield";
constexpr char kNonFrameSuffix[] = " ノンフレーム版 のURL";
constexpr char kFrameSuffix[] = " フレーム版 のURL";
constexpr char kCgiSuffix[] = " メインCGI のURL";
constexpr char kIntervalLabel[] = "自動更新の間隔\n※10秒以上10000秒以下で指定してください。";
constexpr char kSeconds[] = "秒";
constexpr char kCancel[] = "ｷｬﾝｾﾙ";
constexpr char kNotifyDesktop[] = "アラームが鳴り始めたらデスクトップ通知で知らせる";
constexpr char kNotifyUrgency[] = "アラームが鳴り始めたらタスクバーで知らせる";
constexpr char kNotifyNote[] = "※ウィンドウが前面にない時だけ知らせます。";
constexpr char kServerKindLabel[] = "サーバーの種類";
// In the order of ServerKind.
constexpr const char* kServerKindNames[] = {"自動", "標準（行動/更新・再表示）", "2004年版 cgi_jinro.cgi"};
constexpr char kIntervalError[] = "自動更新の間隔は、10秒以上10000秒以下で指定してください。";

// The game's title over its suffix: the title on the first line, the suffix
// (without its separating blank) on the second.
QString titledLabel(const char* suffix) {
  return QString::fromUtf8(kGameTitle) + QLatin1Char('\n') + QString::fromUtf8(suffix).trimmed();
}

QLineEdit* makeBox(QWidget* parent, const char* name, const QRect& geometry) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(geometry);
  return box;
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& geometry) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(geometry);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

}  // namespace

// ---- the up-down control ----

IntervalUpDown::IntervalUpDown(QLineEdit* buddy, QWidget* parent)
    : QWidget(parent), buddy_(buddy), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  setObjectName(QStringLiteral("interval_updown"));
  for (QToolButton* arrow : {up_, down_}) {
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setAutoRepeat(true);
  }
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  // A click steps once. Held, the arrow clicks again and again while it is
  // still down: those steps grow; the click of its release is a single one.
  for (QToolButton* arrow : {up_, down_}) {
    const int direction = arrow == up_ ? 1 : -1;
    connect(arrow, &QToolButton::clicked, this, [this, arrow, direction] {
      if (!arrow->isDown()) held_ = 0;
      repeatStep(direction);
      if (!arrow->isDown()) held_ = 0;
    });
  }
  buddy_->installEventFilter(this);
}

void IntervalUpDown::setPosition(int seconds) {
  position_ = seconds;
  buddy_->setText(QString::number(seconds));
}

void IntervalUpDown::step(int delta) {
  const QByteArray text = buddy_->text().toLatin1();
  setPosition(stepRefreshInterval(std::string_view(text.constData(), text.size()), position_, delta));
  buddy_->selectAll();
}

void IntervalUpDown::repeatStep(int direction) {
  // Ten single steps (a held arrow repeats ten times a second), ten of 10
  // seconds, then steps of 100: 10 to 10000 in about a dozen seconds.
  const int size = held_ < 10 ? 1 : held_ < 20 ? 10 : 100;
  ++held_;
  step(direction * size);
}

bool IntervalUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == buddy_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
      if (!key->isAutoRepeat()) held_ = 0;
      repeatStep(key->key() == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void IntervalUpDown::resizeEvent(QResizeEvent*) {
  const int half = height() / 2;
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
}

// ---- the dialog ----

GeneralSettingsDialog::GeneralSettingsDialog(Client& c, QWidget* parent) : QDialog(parent), c_(c) {
  setWindowTitle(QString::fromUtf8(kTitle));
  setFont(settingsDialogFont());
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  const DialogUnits du(font());
  setFixedSize(du.size(367, 265));

  makeLabel(this, titledLabel(kNonFrameSuffix), du.rect(9, 29, 105, 20));
  makeLabel(this, titledLabel(kFrameSuffix), du.rect(9, 63, 105, 20));
  makeLabel(this, titledLabel(kCgiSuffix), du.rect(10, 98, 105, 20));
  // The interval's label and its note, wrapped in the room left of the box.
  makeLabel(this, QString::fromUtf8(kIntervalLabel), du.rect(9, 133, 135, 40))->setWordWrap(true);

  startUrl_ = makeBox(this, "start_url", du.rect(116, 29, 238, 14));
  frameUrl_ = makeBox(this, "frame_url", du.rect(116, 63, 238, 14));
  cgiUrl_ = makeBox(this, "cgi_url", du.rect(117, 98, 238, 14));
  interval_ = makeBox(this, "refresh_interval", du.rect(148, 133, 32, 14));
  interval_->setAlignment(Qt::AlignRight);
  upDown_ = new IntervalUpDown(interval_, this);
  upDown_->setGeometry(du.rect(178, 133, 9, 14));
  makeLabel(this, QString::fromUtf8(kSeconds), du.rect(192, 137, 12, 8));

  // The check boxes are as wide as their texts: a click beside a text does
  // not change a switch.
  notifyDesktop_ = new QCheckBox(QString::fromUtf8(kNotifyDesktop), this);
  notifyDesktop_->setObjectName(QStringLiteral("notify_desktop"));
  notifyDesktop_->setGeometry(du.rect(9, 180, 0, 10).adjusted(0, 0, notifyDesktop_->sizeHint().width(), 0));
  notifyUrgency_ = new QCheckBox(QString::fromUtf8(kNotifyUrgency), this);
  notifyUrgency_->setObjectName(QStringLiteral("notify_urgency"));
  notifyUrgency_->setGeometry(du.rect(9, 194, 0, 10).adjusted(0, 0, notifyUrgency_->sizeHint().width(), 0));
  makeLabel(this, QString::fromUtf8(kNotifyNote), du.rect(20, 208, 330, 10));

  // Told anew from each page unless the player knows better.
  makeLabel(this, QString::fromUtf8(kServerKindLabel), du.rect(9, 227, 105, 10));
  serverKind_ = new QComboBox(this);
  serverKind_->setObjectName(QStringLiteral("server_kind"));
  for (const char* name : kServerKindNames) serverKind_->addItem(QString::fromUtf8(name));
  serverKind_->setGeometry(du.rect(116, 225, 140, 14));

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QStringLiteral("ok"));
  ok_->setGeometry(du.rect(259, 247, 50, 14));
  ok_->setDefault(true);
  cancel_ = new QPushButton(QString::fromUtf8(kCancel), this);
  cancel_->setObjectName(QStringLiteral("cancel"));
  cancel_->setGeometry(du.rect(313, 247, 50, 14));
  connect(ok_, &QPushButton::clicked, this, &GeneralSettingsDialog::confirm);
  connect(cancel_, &QPushButton::clicked, this, [this] { done(static_cast<int>(GeneralDialogResult::cancelled)); });

  setTabOrder(startUrl_, frameUrl_);
  setTabOrder(frameUrl_, cgiUrl_);
  setTabOrder(cgiUrl_, interval_);
  setTabOrder(interval_, notifyDesktop_);
  setTabOrder(notifyDesktop_, notifyUrgency_);
  setTabOrder(notifyUrgency_, serverKind_);
  setTabOrder(serverKind_, ok_);
  setTabOrder(ok_, cancel_);

  const GeneralDialogTexts texts = generalDialogTextsFrom(c_.settings());
  startUrl_->setText(QString::fromStdString(texts.startUrl));
  frameUrl_->setText(QString::fromStdString(texts.frameUrl));
  upDown_->setPosition(shownRefreshInterval(c_.settings().refreshIntervalSeconds));
  cgiUrl_->setText(QString::fromStdString(texts.cgiUrl));
  notifyDesktop_->setChecked(texts.notifyDesktop);
  notifyUrgency_->setChecked(texts.notifyUrgency);
  serverKind_->setCurrentIndex(static_cast<int>(texts.serverKind));
  for (QLineEdit* box : {startUrl_, frameUrl_, cgiUrl_}) box->setCursorPosition(0);
  startUrl_->setFocus();
  startUrl_->selectAll();
}

void GeneralSettingsDialog::reject() {}

void GeneralSettingsDialog::confirm() {
  GeneralDialogTexts texts;
  texts.startUrl = startUrl_->text().toStdString();
  texts.frameUrl = frameUrl_->text().toStdString();
  texts.cgiUrl = cgiUrl_->text().toStdString();
  texts.interval = interval_->text().toStdString();
  texts.notifyDesktop = notifyDesktop_->isChecked();
  texts.notifyUrgency = notifyUrgency_->isChecked();
  texts.serverKind = static_cast<ServerKind>(std::max(0, serverKind_->currentIndex()));
  switch (c_.confirmGeneralSettings(texts)) {
    case GeneralOkResult::saved:
      done(static_cast<int>(GeneralDialogResult::saved));
      break;
    case GeneralOkResult::badInterval:
      showError(kIntervalError);
      break;
    case GeneralOkResult::writeFailed:
      c_.settingsSaves().markTold();  // told here: the close need not tell it again
      showError(kSettingsWriteFailed);
      break;
  }
}

void GeneralSettingsDialog::showError(const char* utf8Text) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kErrorCaption), QString::fromUtf8(utf8Text),
                  QMessageBox::Ok, this);
  box.exec();
}

}  // namespace jinro::ui

QDialog* openGeneralSettingsDialog(jinro::Client& c, QWidget* parent) {
  auto* dialog = new jinro::ui::GeneralSettingsDialog(c, parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
  return dialog;
}
