// "全般の設定" through its real widgets, against a jinro.ini in a temporary folder.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <fstream>
#include <functional>
#include <sstream>

#include "jinro/server_base_url.h"
#include "fakes/fakes.h"
#include "support/fake_desktop.h"
#include "settings/settings.h"
#include "base/code_page.h"
#include "ui/dialog_units.h"
#include "ui/general_settings_dialog.h"
#include "ui/settings_dialogs.h"

using namespace jinro;
using jinro::ui::GeneralSettingsDialog;

namespace {

// The file's Shift_JIS bytes as the dialogs show them.
QString sj(const char* shiftJis) { return QString::fromStdString(shiftJisToUtf8(shiftJis)); }

// "自動更新の間隔は、10秒以上10000秒以下で指定してください。"
const char kIntervalError[] =
    "\x8E\xA9\x93\xAE\x8D\x58\x90\x56\x82\xCC\x8A\xD4\x8A\x75\x82\xCD\x81\x41\x31\x30\x95\x62\x88\xC8\x8F\xE3\x31"
    "\x30\x30\x30\x30\x95\x62\x88\xC8\x89\xBA\x82\xC5\x8E\x77\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82"
    "\xA2\x81\x42";

// Waits for the next modal message box, notes it and presses its OK.
struct MessageBoxAnswer {
  QString text, title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int seen = 0;
  int tries = 0;
  void arm() {
    tries = 0;
    QTimer::singleShot(0, [this] { poll(); });
  }
  void poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      if (++tries < 300) QTimer::singleShot(10, [this] { poll(); });
      return;
    }
    text = box->text();
    title = box->windowTitle();
    icon = box->icon();
    ++seen;
    box->button(QMessageBox::Ok)->click();
  }
};

}  // namespace

class TestGeneralSettingsDialog : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::string ini_;
  fake::FakeDesktop* fake_ = nullptr;
  Client* c_ = nullptr;

  std::string file() const {
    std::ifstream in(ini_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // The file as the client reads it when it starts.
  void setFile(const std::string& text) {
    std::ofstream(ini_, std::ios::binary | std::ios::trunc) << text;
    c_->start();
  }
  std::unique_ptr<GeneralSettingsDialog> openDialog() {
    auto d = std::make_unique<GeneralSettingsDialog>(*c_, nullptr);
    d->show();
    if (!QTest::qWaitForWindowExposed(d.get())) qWarning("dialog not exposed");
    return d;
  }
  void typeInterval(GeneralSettingsDialog& d, const QString& text) {
    QLineEdit* box = d.intervalBox();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
  }

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    ini_ = dir_.filePath(QStringLiteral("jinro.ini")).toStdString();
    std::remove(ini_.c_str());
    setSettingsFileOverride(ini_);
    fake_ = new fake::FakeDesktop;
    c_ = new Client(fake::desktopOf(*fake_),
                    dir_.path().toStdString() + "/");
    c_->start();
  }
  void cleanup() {
    delete c_;
    delete fake_;
    setSettingsFileOverride("");
  }

  void showsTheSettings() {
    auto d = openDialog();
    QCOMPARE(d->windowTitle(), sj("\x91\x53\x94\xCA\x82\xCC\x90\xDD\x92\xE8"));  // 全般の設定
    const QString base = QString::fromLatin1(kServerBaseUrl);
    QCOMPARE(d->startUrlBox()->text(), base + "index2.html");
    QCOMPARE(d->frameUrlBox()->text(), base);
    QCOMPARE(d->cgiUrlBox()->text(), base + "cgi_jinro.cgi");
    QCOMPARE(d->intervalBox()->text(), QStringLiteral("10"));
    QVERIFY(d->startUrlBox()->hasFocus());
    QVERIFY(d->okButton()->isDefault());
    QCOMPARE(d->cancelButton()->text(), sj("\xB7\xAC\xDD\xBE\xD9"));  // ｷｬﾝｾﾙ
    // Each URL label: the game's title over its suffix.
    QStringList labels;
    for (QLabel* l : d->findChildren<QLabel*>()) labels << l->text();
    for (const char* suffix : {"\x83\x6D\x83\x93\x83\x74\x83\x8C\x81\x5B\x83\x80\x94\xC5\x20\x82\xCC\x55\x52\x4C",
                               "\x83\x74\x83\x8C\x81\x5B\x83\x80\x94\xC5\x20\x82\xCC\x55\x52\x4C",
                               "\x83\x81\x83\x43\x83\x93\x43\x47\x49\x20\x82\xCC\x55\x52\x4C"}) {
      QVERIFY2(labels.contains(sj("\x81\x75Moonvale\x81\x76Thornfield") + "\n" + sj(suffix)), qPrintable(labels.join('|')));
    }
  }

  void storedIntervalOutsideTheRangeShowsTheNearerBound() {
    for (auto [stored, shown] : {std::pair<const char*, const char*>{"5", "10"}, {"70000", "10000"}, {"-3", "10"},
                                 {"0060", "60"}}) {
      setFile(std::string("[ZENPAN]\r\njidokosin_kankaku=") + stored + "\r\n");
      auto d = openDialog();
      QCOMPARE(d->intervalBox()->text(), QString::fromLatin1(shown));
      if (std::string(stored) == "70000") {
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        QCOMPARE(d->outcome(), ui::GeneralDialogResult::saved);
        QVERIFY(file().find("jidokosin_kankaku=10000\r\n") != std::string::npos);
      }
    }
  }

  void boundsAreAcceptedAndOutsideRefused() {
    for (const char* good : {"10", "10000"}) {
      auto d = openDialog();
      typeInterval(*d, QString::fromLatin1(good));
      QTest::mouseClick(d->okButton(), Qt::LeftButton);
      QVERIFY(!d->isVisible());
      QCOMPARE(d->outcome(), ui::GeneralDialogResult::saved);
      QVERIFY(file().find(std::string("jidokosin_kankaku=") + good + "\r\n") != std::string::npos);
      QCOMPARE(c_->settings().refreshIntervalSeconds, static_cast<uint32_t>(std::stoi(good)));
    }
    const std::string before = file();
    for (const char* bad : {"9", "10001", "", "1O", "-10"}) {
      auto d = openDialog();
      typeInterval(*d, QString::fromLatin1(bad));
      MessageBoxAnswer answer;
      answer.arm();
      QTest::mouseClick(d->okButton(), Qt::LeftButton);
      QCOMPARE(answer.seen, 1);
      QCOMPARE(answer.text, sj(kIntervalError));
      QCOMPARE(answer.title, sj("\xB4\xD7\xB0"));  // ｴﾗｰ
      QCOMPARE(answer.icon, QMessageBox::Warning);
      QVERIFY2(d->isVisible(), bad);  // still open, the text as the user left it
      QCOMPARE(d->intervalBox()->text(), QString::fromLatin1(bad));
      QCOMPARE(file(), before);
    }
  }

  void arrowsAndArrowKeysStopAtBothEnds() {
    auto d = openDialog();
    QLineEdit* box = d->intervalBox();
    typeInterval(*d, "10000");
    QTest::mouseClick(d->upDown()->upArrow(), Qt::LeftButton);
    QCOMPARE(box->text(), QStringLiteral("10000"));
    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(box->text(), QStringLiteral("10000"));
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->text(), QStringLiteral("9999"));
    typeInterval(*d, "10");
    QTest::mouseClick(d->upDown()->downArrow(), Qt::LeftButton);
    QCOMPARE(box->text(), QStringLiteral("10"));
    typeInterval(*d, "060");
    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(box->text(), QStringLiteral("61"));
  }

  void aHeldKeyStepsFasterAndStopsAtTheTop() {
    auto d = openDialog();
    QLineEdit* box = d->intervalBox();
    typeInterval(*d, "10");
    // A key held down: one press, then the keyboard's repeats.
    auto press = [box](bool repeat) {
      QKeyEvent key(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), repeat);
      QApplication::sendEvent(box, &key);
    };
    press(false);
    for (int i = 0; i < 9; ++i) press(true);
    QCOMPARE(box->text(), QStringLiteral("20"));  // ten single steps
    for (int i = 0; i < 10; ++i) press(true);
    QCOMPARE(box->text(), QStringLiteral("120"));  // then tens
    for (int i = 0; i < 200; ++i) press(true);
    QCOMPARE(box->text(), QStringLiteral("10000"));  // then hundreds, up to the top and no further
    press(false);  // let go and pressed again: single steps
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->text(), QStringLiteral("9999"));
  }

  void notificationSwitchesShowTheFileAndOkWritesThemWithTheRest() {
    setFile("[ZENPAN]\r\njidokosin_kankaku=30\r\nnotify_urgency=0\r\n[EXTRA]\r\nkept=yes\r\n");
    auto d = openDialog();
    QVERIFY(d->notifyDesktopBox()->isChecked());  // absent: on
    QVERIFY(!d->notifyUrgencyBox()->isChecked());
    QTest::mouseClick(d->notifyDesktopBox(), Qt::LeftButton);
    QTest::mouseClick(d->notifyUrgencyBox(), Qt::LeftButton);
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    QCOMPARE(d->outcome(), ui::GeneralDialogResult::saved);
    const std::string now = file();
    for (const char* line : {"notify_desktop=0\r\n", "notify_urgency=1\r\n", "jidokosin_kankaku=30\r\n",
                             "[EXTRA]\r\nkept=yes\r\n"}) {
      QVERIFY2(now.find(line) != std::string::npos, line);
    }
    QVERIFY(!c_->settings().notifyDesktop);
    QVERIFY(c_->settings().notifyUrgency);
  }

  void serverKindShowsTheFileAndOkWritesIt() {
    setFile("[ZENPAN]\r\njidokosin_kankaku=30\r\nserver_kind=2004\r\n[EXTRA]\r\nkept=yes\r\n");
    auto d = openDialog();
    QCOMPARE(d->serverKindBox()->currentText(), QStringLiteral("2004年版 cgi_jinro.cgi"));
    d->serverKindBox()->setCurrentIndex(1);
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    QCOMPARE(d->outcome(), ui::GeneralDialogResult::saved);
    QVERIFY(file().find("server_kind=standard\r\n") != std::string::npos);
    QVERIFY(file().find("jidokosin_kankaku=30\r\n") != std::string::npos);
    QVERIFY(file().find("[EXTRA]\r\nkept=yes\r\n") != std::string::npos);
    QVERIFY(c_->settings().serverKind == ServerKind::standard);

    // A value the client does not know reads as automatic.
    setFile("[ZENPAN]\r\nserver_kind=1999\r\n");
    auto again = openDialog();
    QCOMPARE(again->serverKindBox()->currentIndex(), 0);
  }

  void enterOnAFocusedButtonPressesIt() {
    const std::string before = file();
    auto d = openDialog();
    d->startUrlBox()->setText("http://changed/");
    d->cancelButton()->setFocus();
    QTest::keyClick(d->cancelButton(), Qt::Key_Return);
    QVERIFY(!d->isVisible());
    QCOMPARE(d->outcome(), ui::GeneralDialogResult::cancelled);
    QCOMPARE(file(), before);
  }

  void intervalIsWrittenAsTyped() {
    auto d = openDialog();
    typeInterval(*d, "060");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    QCOMPARE(d->outcome(), ui::GeneralDialogResult::saved);
    QVERIFY(file().find("jidokosin_kankaku=060\r\n") != std::string::npos);
    QCOMPARE(c_->settings().refreshIntervalSeconds, 60u);
  }

  void okRestartsARunningTimerOnlyWithTheNewInterval() {
    c_->toggleAutoRefresh();
    QCOMPARE(fake_->timer.starts, 1);
    auto d = openDialog();
    typeInterval(*d, "25");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    QCOMPARE(fake_->timer.starts, 2);
    QCOMPARE(fake_->timer.interval, uint64_t{25000});
    QVERIFY(fake_->timer.running);

    c_->toggleAutoRefresh();
    auto again = openDialog();
    typeInterval(*again, "30");
    QTest::mouseClick(again->okButton(), Qt::LeftButton);
    QCOMPARE(again->outcome(), ui::GeneralDialogResult::saved);
    QCOMPARE(fake_->timer.starts, 2);  // nothing more
    QVERIFY(!fake_->timer.running);
    QCOMPARE(c_->settings().refreshIntervalSeconds, 30u);
  }

  void cancelEscapeAndCloseBoxChangeNothing() {
    setFile("[ZENPAN]\r\nURL_frame=http://old/\r\nmine=1\r\n");
    const std::string before = file();
    const Settings was = c_->settings();
    auto d = openDialog();
    d->startUrlBox()->setText("http://new/1");
    d->frameUrlBox()->setText("http://new/2");
    d->cgiUrlBox()->setText("http://new/3");
    typeInterval(*d, "77");
    QTest::keyClick(d->frameUrlBox(), Qt::Key_Escape);
    QVERIFY(d->isVisible());
    d->close();
    QVERIFY(d->isVisible());
    QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
    QVERIFY(!d->isVisible());
    QCOMPARE(d->outcome(), ui::GeneralDialogResult::cancelled);
    QCOMPARE(file(), before);
    QCOMPARE(c_->settings().startUrl, was.startUrl);
    QCOMPARE(c_->settings().refreshIntervalSeconds, was.refreshIntervalSeconds);
    QVERIFY(fake_->notices.notices.empty());
  }

  void enterIsOk() {
    auto d = openDialog();
    d->cgiUrlBox()->setFocus();
    d->cgiUrlBox()->setText("http://enter/");
    QTest::keyClick(d->cgiUrlBox(), Qt::Key_Return);
    QVERIFY(!d->isVisible());
    QCOMPARE(d->outcome(), ui::GeneralDialogResult::saved);
    QCOMPARE(c_->settings().cgiUrl, std::string("http://enter/"));
  }

  void typedUrlIsCutWithoutSplittingACharacter() {
    auto d = openDialog();
    QString url = QStringLiteral("http://xy/");  // 10 bytes, then 2-byte characters: one straddles byte 259
    for (int i = 0; i < 200; ++i) url += QChar(0x6751);  // 村
    d->startUrlBox()->setText(url);
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    // Cut to 258 bytes in Shift_JIS; the settings hold the same in UTF-8.
    QCOMPARE(QString::fromStdString(c_->settings().startUrl), url.left(10 + 124));
  }

  void openDialogKeepsTimersRunning() {
    // While the dialog is open, the main window's timer still fires.
    int ticks = 0;
    QTimer tick;
    connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(5);
    QPointer<QDialog> d = openGeneralSettingsDialog(*c_, nullptr);
    QVERIFY(d->isModal());
    QSignalSpy finished(d.data(), &QDialog::finished);
    QTRY_VERIFY(ticks >= 5);
    static_cast<GeneralSettingsDialog*>(d.data())->cancelButton()->click();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toInt(), int(QDialog::Rejected));
    QTRY_VERIFY(d.isNull());  // it deletes itself
  }
};

QTEST_MAIN(TestGeneralSettingsDialog)
#include "test_general_settings_dialog.moc"
