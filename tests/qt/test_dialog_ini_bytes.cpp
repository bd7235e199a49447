// The bytes of jinro.ini after OK in each settings dialog, every box and
// switch changed through the widgets, from the starting file of
// tests/golden/jinro_ini. The widgets are taken in the order the player tabs
// through them, so the test holds whatever the dialogs call them inside: the
// n-th box of a page always writes the same key. The expected files were
// written by the client itself.
//
// JINRO_REWRITE_GOLDEN=1 rewrites them from what the code writes now: for a
// deliberate change of what jinro.ini holds, never to make a failing test pass.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "fakes/fakes.h"
#include "support/fake_desktop.h"
#include "settings/settings.h"
#include "ui/general_settings_dialog.h"
#include "ui/sound_settings_sheet.h"

using namespace jinro;

namespace {

const QString kGolden = QStringLiteral(JINRO_GOLDEN_DIR);

std::string slurp(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void spit(const QString& path, const std::string& bytes) {
  std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc) << bytes;
}

// The widgets of type T directly inside `parent`, in the order they were
// made, which is the order Tab visits them.
template <typename T>
QList<T*> inTabOrder(QWidget* parent) {
  return parent->findChildren<T*>(Qt::FindDirectChildrenOnly);
}

}  // namespace

class TestDialogIniBytes : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString ini_;
  fake::FakeDesktop* fake_ = nullptr;
  Client* c_ = nullptr;

  void expectFileIs(const QString& goldenName) {
    const std::string now = slurp(ini_);
    const QString golden = kGolden + "/" + goldenName;
    if (qgetenv("JINRO_REWRITE_GOLDEN") == "1") {
      spit(golden, now);
      return;
    }
    QVERIFY2(QFile::exists(golden), qPrintable(golden));
    QVERIFY2(now == slurp(golden), qPrintable("jinro.ini differs from " + golden));
  }

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    ini_ = dir_.filePath(QStringLiteral("jinro.ini"));
    spit(ini_, slurp(kGolden + "/start.ini"));
    setSettingsFileOverride(ini_.toStdString());
    fake_ = new fake::FakeDesktop;
    c_ = new Client(fake::desktopOf(*fake_),
                    dir_.path().toStdString() + "/");
    c_->start();
    c_->setSoundOn(false);
  }
  void cleanup() {
    delete c_;
    delete fake_;
    setSettingsFileOverride("");
  }

  void generalOkWithEveryControlChanged() {
    ui::GeneralSettingsDialog d(*c_, nullptr);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    const QList<QLineEdit*> boxes = inTabOrder<QLineEdit>(&d);
    QCOMPARE(boxes.size(), 4);
    for (int i = 0; i < 3; ++i) boxes[i]->setText(boxes[i]->text() + QStringLiteral("/変%1").arg(i));
    boxes[3]->setText(QStringLiteral("0042"));
    for (QCheckBox* check : inTabOrder<QCheckBox>(&d)) check->setChecked(!check->isChecked());
    inTabOrder<QComboBox>(&d).first()->setCurrentIndex(1);
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
    QVERIFY(!d.isVisible());
    expectFileIs(QStringLiteral("general_dialog_edited.ini"));
  }

  void soundOkWithEveryControlOfTheShownPagesChanged_data() {
    QTest::addColumn<QList<int>>("shown");
    QTest::newRow("1") << QList<int>{};
    QTest::newRow("12") << QList<int>{1};
    QTest::newRow("13") << QList<int>{2};
    QTest::newRow("123") << QList<int>{1, 2};
  }
  void soundOkWithEveryControlOfTheShownPagesChanged() {
    QFETCH(QList<int>, shown);
    ui::SoundSettingsSheet sheet(*c_, nullptr);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    for (int tab : shown) sheet.tabs()->setCurrentIndex(tab);
    for (int p = 0; p < kSoundPageCount; ++p) {
      if (sheet.page(p) == nullptr) continue;
      int n = 0;
      for (QLineEdit* box : inTabOrder<QLineEdit>(sheet.page(p)))
        box->setText(box->text() + QStringLiteral("+%1%2").arg(p + 1).arg(n++));
      for (QCheckBox* check : inTabOrder<QCheckBox>(sheet.page(p))) check->setChecked(!check->isChecked());
    }
    QTest::mouseClick(sheet.okButton(), Qt::LeftButton);
    QVERIFY(!sheet.isVisible());
    expectFileIs(QStringLiteral("sound_sheet_edited_pages_%1.ini").arg(QTest::currentDataTag()));
  }
};

QTEST_MAIN(TestDialogIniBytes)
#include "test_dialog_ini_bytes.moc"
