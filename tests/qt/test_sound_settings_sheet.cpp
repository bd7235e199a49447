// "音声の設定" through its real widgets, against a jinro.ini in a temporary folder.
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "backends/qt/qt_japanese.h"
#include "fakes/fakes.h"
#include "support/fake_desktop.h"
#include "settings/settings.h"
#include "base/code_page.h"
#include "ui/dialog_units.h"
#include "ui/settings_dialogs.h"
#include "ui/sound_settings_sheet.h"

using namespace jinro;
using jinro::ui::SoundSettingsSheet;

namespace {

// The file's Shift_JIS bytes as the dialogs show them, and back.
QString sj(const char* shiftJis) { return QString::fromStdString(shiftJisToUtf8(shiftJis)); }
std::string toSj(const QString& text) { return utf8ToShiftJis(text.toStdString()); }

using K = AlarmKind;
using F = AlarmField;

// The alarms of each tab, as the player finds them.
const std::vector<std::vector<AlarmKind>> kPageAlarms = {
    {K::night, K::daytime, K::tohyo, K::kodo},
    {K::sonmin, K::jinro, K::yoko, K::hikiwake},
    {K::nekomata, K::sonmintoroku, K::full_alarm},
};

// The file as the test left it before the sheet: the sound sections hold
// values no default has, and a section of another name.
const std::string kFile =
    "[SOUND1]\r\nnight_sound_path=n.wav\r\n"
    "[SOUND2]\r\nsonmin_trigger_string=S2\r\nsonmin_sound_roop_check=0\r\n"
    "[SOUND3]\r\nnekomata_trigger_string=S3\r\nfull_alarm_check=1\r\n"
    "[ZENPAN]\r\njidokosin_kankaku=30\r\n";

// Runs `act` on the modal widget of type T once it is up, polling for up to a
// minute: on a loaded machine a file dialog can take seconds to appear, and a
// dialog nobody closes would hold the test until its timeout.
template <typename T>
void whenModal(std::function<void(T*)> act, int triesLeft = 6000) {
  QTimer::singleShot(10, [act = std::move(act), triesLeft]() mutable {
    if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
      act(w);
    } else if (triesLeft > 0) {
      whenModal<T>(std::move(act), triesLeft - 1);
    }
  });
}

}  // namespace

class TestSoundSettingsSheet : public QObject {
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
  // The value of the key's first line in the file, or "<none>".
  std::string valueOf(const std::string& key) const {
    const std::string text = file();
    const size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) return "<none>";
    const size_t from = at + key.size() + 2;
    return text.substr(from, text.find("\r\n", from) - from);
  }
  static std::string section(const std::string& text, const std::string& name) {
    size_t start = text.find("[" + name + "]");
    if (start == std::string::npos) return "<none>";
    size_t end = text.find("\r\n[", start + 1);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  }
  void showTab(SoundSettingsSheet& sheet, int index) {
    QTabBar* bar = sheet.tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    QCOMPARE(sheet.tabs()->currentIndex(), index);
  }
  std::unique_ptr<SoundSettingsSheet> openSheet(ui::SoundFileChooser chooser = {}) {
    auto s = std::make_unique<SoundSettingsSheet>(*c_, nullptr, std::move(chooser));
    s->show();
    if (!QTest::qWaitForWindowExposed(s.get())) qWarning("sheet not exposed");
    return s;
  }
  // Every box text and check state of every created page.
  static std::map<QString, QString> snapshot(const SoundSettingsSheet& sheet) {
    std::map<QString, QString> all;
    for (int p = 0; p < kSoundPageCount; ++p) {
      if (sheet.page(p) == nullptr) continue;
      for (QLineEdit* e : sheet.page(p)->findChildren<QLineEdit*>())
        all[QString("%1/%2").arg(p).arg(e->objectName())] = e->text();
      for (QCheckBox* b : sheet.page(p)->findChildren<QCheckBox*>())
        all[QString("%1/%2").arg(p).arg(b->objectName())] = b->isChecked() ? "1" : "0";
    }
    return all;
  }
  // A game page at action time: its alarm plays, and a refresh posts its form.
  void arrangeSoundOnWithAPlayingAlarm() {
    c_->documentComplete(u"http://village/cgi_jinro.cgi",
                         u"<html><head><title>村</title></head><body><form>"
                         u"<input type=\"submit\" value=\"行動/更新\"><input type=\"hidden\" name=\"TXTPNO\" value=\"2\">"
                         u"</form><font>能力対象</font>を決定してください。</body></html>");
    QCOMPARE(fake_->sound.count("playNotify"), size_t{1});
    fake_->sound.calls.clear();
    fake_->browser.navigations.clear();
  }

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    ini_ = dir_.filePath(QStringLiteral("jinro.ini")).toStdString();
    std::ofstream(ini_, std::ios::binary | std::ios::trunc) << kFile;
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

  void pagesComeIntoBeingWhenFirstShownAndHoldTheSettings() {
    auto sheet = openSheet();
    QCOMPARE(sheet->windowTitle(), sj("\x89\xB9\x90\xBA\x82\xCC\x90\xDD\x92\xE8"));  // 音声の設定
    QCOMPARE(sheet->tabs()->count(), 3);
    for (int i = 0; i < 3; ++i)
      QCOMPARE(sheet->tabs()->tabText(i), sj("\x89\xB9\x90\xBA\x82\xCC\x90\xDD\x92\xE8") + QString::number(i + 1));
    QCOMPARE(sheet->tabs()->currentIndex(), 0);
    QVERIFY(sheet->page(0) != nullptr);
    QCOMPARE(sheet->focusWidget(), sheet->page(0)->box(K::night, F::leftTrigger));
    QVERIFY(sheet->page(1) == nullptr);
    QVERIFY(sheet->page(2) == nullptr);
    showTab(*sheet, 2);
    QVERIFY(sheet->page(1) == nullptr);
    QVERIFY(sheet->page(2) != nullptr);

    // Filled from the file, its defaults where a key is absent.
    ui::SoundSettingsPage* p1 = sheet->page(0);
    QCOMPARE(p1->box(K::night, F::leftTrigger)->text(), QStringLiteral(".CLSTD01"));
    QCOMPARE(p1->box(K::night, F::soundPath)->text(), QStringLiteral("n.wav"));
    // "投票</font>を行ってください。"
    QCOMPARE(p1->box(K::tohyo, F::trigger)->text(),
             sj("\x93\x8A\x95\x5B</font>\x82\xF0\x8D\x73\x82\xC1\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42"));
    QVERIFY(p1->checkBox(K::tohyo)->isChecked());   // tohyo loops by default
    QVERIFY(!p1->checkBox(K::night)->isChecked());  // night plays once
    QCOMPARE(sheet->page(2)->box(K::nekomata, F::trigger)->text(), QStringLiteral("S3"));
    QVERIFY(sheet->page(2)->checkBox(K::full_alarm)->isChecked());
    QCOMPARE(sheet->page(2)->checkBox(K::full_alarm)->text(), sj("\x83\x41\x83\x89\x81\x5B\x83\x80ON"));  // アラームON

    // Each alarm in its group, captioned with the name the notifications use.
    for (int p : {0, 2}) {
      QStringList groups;
      for (QGroupBox* g : sheet->page(p)->findChildren<QGroupBox*>()) groups << g->title();
      QStringList names;
      for (AlarmKind kind : kPageAlarms[p]) names << QString::fromUtf8(alarmLabel(kind));
      groups.sort();  // the groups are lowered behind their controls, out of their order
      names.sort();
      QCOMPARE(groups, names);
    }
  }

  void okAtOnceWritesOnlyTheFirstSectionAndRequestsThePageOnce() {
    arrangeSoundOnWithAPlayingAlarm();
    auto sheet = openSheet();
    sheet->page(0)->box(K::kodo, F::trigger)->setText("KODO");
    sheet->page(0)->checkBox(K::tohyo)->setChecked(false);
    QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
    QVERIFY(!sheet->isVisible());
    const std::string now = file();
    QCOMPARE(section(now, "SOUND2"), section(kFile, "SOUND2"));
    QCOMPARE(section(now, "SOUND3"), section(kFile, "SOUND3"));
    QCOMPARE(section(now, "ZENPAN"), section(kFile, "ZENPAN"));
    QCOMPARE(valueOf("kodo_trigger_string"), std::string("KODO"));
    QCOMPARE(valueOf("tohyo_sound_roop_check"), std::string("0"));
    QCOMPARE(valueOf("night_sound_path"), std::string("n.wav"));
    QCOMPARE(c_->settings().alarm(AlarmKind::kodo).trigger, std::string("KODO"));
    QVERIFY(!c_->settings().alarm(AlarmKind::tohyo).repeat);
    QCOMPARE(fake_->browser.navigations.size(), size_t{1});
    QCOMPARE(fake_->browser.navigations[0].url, std::string("http://village/cgi_jinro.cgi"));
    QVERIFY(fake_->browser.navigations[0].post);
    QCOMPARE(fake_->browser.navigations[0].body, c_->autoRefresh().postBody());
    QVERIFY(c_->autoRefresh().postBody().find("TXTPNO=2") != std::string::npos);
    QCOMPARE(fake_->sound.count("stop"), size_t{1});
  }

  void visitingAllTabsWritesAllSectionsAndRequestsThePageOnce() {
    arrangeSoundOnWithAPlayingAlarm();
    auto sheet = openSheet();
    showTab(*sheet, 1);
    sheet->page(1)->box(K::jinro, F::trigger)->setText("JINRO");
    showTab(*sheet, 2);
    sheet->page(2)->checkBox(K::full_alarm)->setChecked(false);  // capacity alarm off
    showTab(*sheet, 0);
    QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
    const std::string now = file();
    QCOMPARE(valueOf("jinro_trigger_string"), std::string("JINRO"));
    QCOMPARE(valueOf("full_alarm_check"), std::string("0"));
    QCOMPARE(valueOf("sonmin_trigger_string"), std::string("S2"));  // kept through its page
    QCOMPARE(valueOf("yoko_sound_path"), std::string("tam-g09.mid"));  // now written whole
    QCOMPARE(section(now, "ZENPAN"), section(kFile, "ZENPAN"));
    QVERIFY(!c_->settings().alarm(AlarmKind::full_alarm).armed);
    QCOMPARE(fake_->browser.navigations.size(), size_t{1});
    QCOMPARE(fake_->sound.count("stop"), size_t{1});
  }

  void soundOffWritesAndReloadsOnly() {
    arrangeSoundOnWithAPlayingAlarm();
    c_->setSoundOn(false);
    fake_->sound.calls.clear();
    auto sheet = openSheet();
    showTab(*sheet, 1);
    sheet->page(1)->box(K::hikiwake, F::trigger)->setText("DRAW");
    QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
    QCOMPARE(valueOf("hikiwake_trigger_string"), std::string("DRAW"));
    QCOMPARE(c_->settings().alarm(AlarmKind::hikiwake).trigger, std::string("DRAW"));
    QVERIFY(fake_->browser.navigations.empty());
    QVERIFY(fake_->sound.calls.empty());
  }

  void cancelEscapeAndCloseBoxChangeNothing() {
    arrangeSoundOnWithAPlayingAlarm();
    const Settings was = c_->settings();
    for (int way = 0; way < 3; ++way) {
      auto sheet = openSheet();
      sheet->page(0)->box(K::night, F::leftTrigger)->setText("CHANGED");
      showTab(*sheet, 1);
      sheet->page(1)->checkBox(K::sonmin)->setChecked(true);
      if (way == 0) QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
      if (way == 1) QTest::keyClick(sheet->page(1)->box(K::sonmin, F::trigger), Qt::Key_Escape);
      if (way == 2) sheet->close();
      QVERIFY(!sheet->isVisible());
      QCOMPARE(sheet->result(), int(QDialog::Rejected));
    }
    QCOMPARE(file(), kFile);
    QCOMPARE(c_->settings().alarm(AlarmKind::night).leftTrigger, was.alarm(AlarmKind::night).leftTrigger);
    QVERIFY(fake_->browser.navigations.empty());
    QVERIFY(fake_->sound.calls.empty());
  }

  void typedTriggerOf300BytesIsWrittenAsItsFirst259() {
    c_->setSoundOn(false);
    auto sheet = openSheet();
    showTab(*sheet, 2);
    QString typed = QStringLiteral("x");  // then 人: byte 259 ends a character
    while (toSj(typed).size() < 300) typed += QChar(0x4EBA);
    QString even = QStringLiteral("xy");  // then 人: one would straddle bytes 259 and 260
    while (toSj(even).size() < 300) even += QChar(0x4EBA);
    // Typed: ASCII by keys, the rest as an input method commits it.
    QLineEdit* box = sheet->page(2)->box(K::sonmintoroku, F::trigger);
    box->setFocus();
    box->clear();
    QTest::keyClicks(box, typed.left(1));
    box->insert(typed.mid(1));
    sheet->page(2)->box(K::nekomata, F::trigger)->setText(even);
    QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
    QCOMPARE(valueOf("sonmintoroku_trigger_string"), toSj(typed).substr(0, 259));
    QCOMPARE(valueOf("nekomata_trigger_string"), toSj(even).substr(0, 258));
  }

  void eachOpenButtonFillsItsOwnAlarmsSoundPathOnly() {
    c_->setSoundOn(false);
    int calls = 0;
    auto sheet = openSheet([&](QWidget*) -> std::optional<QString> {
      ++calls;
      return QString("/snd/%1.wav").arg(calls);
    });
    showTab(*sheet, 1);
    showTab(*sheet, 2);
    // Every button once; a button that filled another box would leave its own
    // alarm's path unwritten, or another key holding a chosen path.
    std::map<std::string, std::string> chosen;
    for (int p = 0; p < kSoundPageCount; ++p) {
      showTab(*sheet, p);
      for (AlarmKind kind : kPageAlarms[p]) {
        QTest::mouseClick(sheet->page(p)->openButton(kind), Qt::LeftButton);
        chosen[std::string(keyPrefix(kind)) + "_sound_path"] = QString("/snd/%1.wav").arg(calls).toStdString();
      }
    }
    QCOMPARE(calls, 11);
    QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
    for (const auto& [key, path] : chosen) QCOMPARE(valueOf(key), path);
    const std::string now = file();
    size_t paths = 0;
    for (size_t at = now.find("/snd/"); at != std::string::npos; at = now.find("/snd/", at + 1)) ++paths;
    QCOMPARE(paths, size_t{11});

    // A chooser that gives nothing leaves everything as it was.
    auto none = openSheet([](QWidget*) { return std::optional<QString>(); });
    const auto before = snapshot(*none);
    QTest::mouseClick(none->page(0)->openButton(K::night), Qt::LeftButton);
    QCOMPARE(snapshot(*none), before);
  }

  void aPathTheSettingsCannotHoldIsRefused() {
    auto sheet = openSheet([](QWidget*) -> std::optional<QString> { return "/" + QString(300, 'p') + ".wav"; });
    const QString before = sheet->page(0)->box(K::daytime, F::soundPath)->text();
    QString seen;
    whenModal<QMessageBox>([&](QMessageBox* box) {
      seen = box->windowTitle();
      box->button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(sheet->page(0)->openButton(K::daytime), Qt::LeftButton);
    QCOMPARE(seen, sj("\xB4\xD7\xB0"));  // ｴﾗｰ
    QCOMPARE(sheet->page(0)->box(K::daytime, F::soundPath)->text(), before);
  }

  void fileChooserOffersTheFourFiltersAndTakesAnExistingFile() {
    QFileDialog dialog;
    ui::configureSoundFileDialog(dialog);
    // "再生したい音声ファイルを選択"
    QCOMPARE(dialog.windowTitle(), sj("\x8D\xC4\x90\xB6\x82\xB5\x82\xBD\x82\xA2\x89\xB9\x90\xBA\x83\x74\x83\x40\x83"
                                      "\x43\x83\x8B\x82\xF0\x91\x49\x91\xF0"));
    QCOMPARE(dialog.nameFilters(), QStringList({"wav file(*.wav)", "mid file(*.mid)", "mp3 file(*.mp3)",
                                                "All files(*.*)"}));
    QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("wav file(*.wav)"));
    QCOMPARE(dialog.defaultSuffix(), QStringLiteral("wav"));
    QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);

    // The real chooser behind a MIDI group's button: the wav filter still comes
    // first; the chosen file's full path lands in the group's box.
    const QString wav = dir_.filePath(QStringLiteral("chosen.wav"));
    std::ofstream(wav.toStdString()) << "RIFF";
    auto sheet = openSheet();
    showTab(*sheet, 1);
    QString filterSeen;
    whenModal<QFileDialog>([&](QFileDialog* d) {
      filterSeen = d->selectedNameFilter();
      // Typed as a player would: selectFile() depends on the folder's listing,
      // which a loaded machine may not have read yet.
      d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(wav);
      static_cast<QDialog*>(d)->accept();
    });
    QTest::mouseClick(sheet->page(1)->openButton(K::jinro), Qt::LeftButton);
    QCOMPARE(filterSeen, QStringLiteral("wav file(*.wav)"));
    QCOMPARE(sheet->page(1)->box(K::jinro, F::soundPath)->text(), wav);

    // Cancelled: the box stays as it was.
    whenModal<QFileDialog>([](QFileDialog* d) { d->reject(); });
    QTest::mouseClick(sheet->page(1)->openButton(K::hikiwake), Qt::LeftButton);
    QCOMPARE(sheet->page(1)->box(K::hikiwake, F::soundPath)->text(), QStringLiteral("tam-g09.mid"));
  }

  void enterOnAFocusedOpenButtonOpensTheChooser() {
    int calls = 0;
    auto sheet = openSheet([&](QWidget*) -> std::optional<QString> {
      ++calls;
      return QStringLiteral("/snd/enter.wav");
    });
    QPushButton* open = sheet->page(0)->openButton(K::tohyo);
    open->setFocus();
    QTest::keyClick(open, Qt::Key_Return);
    QCOMPARE(calls, 1);
    QVERIFY(sheet->isVisible());  // not taken as OK
    QCOMPARE(sheet->page(0)->box(K::tohyo, F::soundPath)->text(), QStringLiteral("/snd/enter.wav"));
    // Back in a text box, Enter is OK again.
    sheet->page(0)->box(K::tohyo, F::trigger)->setFocus();
    QTest::keyClick(sheet->page(0)->box(K::tohyo, F::trigger), Qt::Key_Return);
    QVERIFY(!sheet->isVisible());
    QCOMPARE(sheet->result(), int(QDialog::Accepted));
    QCOMPARE(valueOf("tohyo_sound_path"), std::string("/snd/enter.wav"));
  }

  void opensModallyFromItsEntryPoint() {
    c_->setSoundOn(false);
    QDialog* sheet = openSoundSettingsSheet(*c_, nullptr);
    QVERIFY(sheet->isModal());
    QSignalSpy finished(sheet, &QDialog::finished);
    static_cast<SoundSettingsSheet*>(sheet)->okButton()->click();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toInt(), int(QDialog::Accepted));
    QCOMPARE(valueOf("night_left_trigger_string"), std::string(".CLSTD01"));
  }

  // Last: the translations stay installed for the rest of the process.
  void theChooserSpeaksJapanese() {
    QVERIFY(qt::installJapaneseTranslations(*QCoreApplication::instance()) >= 1);
    QStringList buttons;
    whenModal<QFileDialog>([&](QFileDialog* d) {
      for (QPushButton* b : d->findChildren<QPushButton*>()) buttons << b->text();
      d->reject();
    });
    auto sheet = openSheet();
    QTest::mouseClick(sheet->page(0)->openButton(K::night), Qt::LeftButton);
    QVERIFY2(buttons.contains(QStringLiteral("開く(&O)")) || buttons.contains(QStringLiteral("開く")),
             qPrintable(buttons.join('|')));
    QVERIFY2(buttons.contains(QStringLiteral("キャンセル")), qPrintable(buttons.join('|')));
  }
};

QTEST_MAIN(TestSoundSettingsSheet)
#include "test_sound_settings_sheet.moc"
