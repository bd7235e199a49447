#pragma once
// "全般の設定": the three URLs and the automatic refresh interval of the
// "ZENPAN" section, the two switches of the notifications and the kind of
// game server. Controls are named by what they hold ("start_url", ...,
// "server_kind", "ok", "cancel"). It closes only through OK, once the
// settings are saved, and Cancel: Escape and the close box leave it open;
// Enter is OK, or the button that has the focus.
#include <QDialog>
#include <QWidget>

#include "client/client.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace jinro::ui {

// How the dialog was closed, as QDialog::result() and finished() tell it.
enum class GeneralDialogResult { saved = QDialog::Accepted, cancelled = QDialog::Rejected };

// The up-down control beside the interval box: two arrows that step the
// buddy's number within 10 to 10000, stopping at the ends, and the Up and
// Down keys in the buddy doing the same. Held down, an arrow or a key steps
// by 10, then by 100: a long interval is reached without a long wait.
class IntervalUpDown : public QWidget {
  Q_OBJECT
 public:
  IntervalUpDown(QLineEdit* buddy, QWidget* parent);
  void setPosition(int seconds);
  int position() const { return position_; }
  // One step up (delta 1) or down (-1) from the buddy's text.
  void step(int delta);
  // One step of a held arrow or key: the longer it was held, the larger.
  void repeatStep(int direction);
  QToolButton* upArrow() const { return up_; }
  QToolButton* downArrow() const { return down_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLineEdit* buddy_;
  QToolButton* up_;
  QToolButton* down_;
  int position_ = 10;
  int held_ = 0;  // steps taken since the arrow or key went down
};

class GeneralSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  GeneralSettingsDialog(Client& c, QWidget* parent);
  // Meaningful once the dialog is closed.
  GeneralDialogResult outcome() const { return static_cast<GeneralDialogResult>(result()); }
  QLineEdit* startUrlBox() const { return startUrl_; }
  QLineEdit* frameUrlBox() const { return frameUrl_; }
  QLineEdit* cgiUrlBox() const { return cgiUrl_; }
  QLineEdit* intervalBox() const { return interval_; }
  IntervalUpDown* upDown() const { return upDown_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }
  QCheckBox* notifyDesktopBox() const { return notifyDesktop_; }
  QCheckBox* notifyUrgencyBox() const { return notifyUrgency_; }
  QComboBox* serverKindBox() const { return serverKind_; }

 public slots:
  void reject() override;  // Escape and the close box: stay open

 private:
  void confirm();
  void showError(const char* utf8Text);

  Client& c_;
  QLineEdit* startUrl_;
  QLineEdit* frameUrl_;
  QLineEdit* cgiUrl_;
  QLineEdit* interval_;
  IntervalUpDown* upDown_;
  QCheckBox* notifyDesktop_;
  QCheckBox* notifyUrgency_;
  QComboBox* serverKind_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace jinro::ui
