// The main window as built: title, toolbar (button names, glyphs, the one
// tooltip, start states), the 30-pixel band above the browser, command states
// as the client sets them, the status line beside the fields, and the
// placement round trip. The menus are worked by their keys in the end-to-end
// tests.
#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <memory>

#include "client/client.h"
#include "fakes/fakes.h"
#include "ui/main_window.h"

using jinro::Command;

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    jinro::setSettingsFileOverride(dir_.filePath(QStringLiteral("jinro.ini")).toStdString());
    window_ = new jinro::MainWindow();
    view_ = new QWidget();
    window_->setBrowserView(view_);
    client_ = std::make_unique<jinro::Client>(
        jinro::Desktop{*window_, *window_, *window_, fake_.sound, fake_.browser, fake_.timer, fake_.clipboard, fake_.launcher,
                       fake_.sweeper, *window_, fake_.writer},
        dir_.path().toStdString() + "/");
    window_->bind(*client_);
    client_->start();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
  }
  void cleanupTestCase() {
    delete window_;
    client_.reset();
    jinro::setSettingsFileOverride("");
  }

  void titleUntilTheFirstPage() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("「Moonvale」Thornfield"));
  }

  void toolbarButtonsTooltipAndStartStates() {
    QToolBar* bar = window_->findChild<QToolBar*>(QStringLiteral("toolbar"));
    QVERIFY(bar);
    QStringList names;
    for (QAction* a : bar->actions()) {
      if (!a->objectName().isEmpty()) names << a->objectName();
    }
    QCOMPARE(names, (QStringList{"manual_refresh", "auto_refresh", "return_top", "reverse", "copy_speech", "notes"}));
    const QList<Command> commands = {Command::manualRefresh, Command::autoRefresh, Command::returnToTop,
                                     Command::reverseRows, Command::copySpeeches};
    for (int i = 0; i < commands.size(); ++i) {
      QAction* a = window_->commandAction(commands[i]);
      QCOMPARE(a->objectName(), names[i]);
      QVERIFY(!a->icon().isNull());
      QVERIFY(a->text().isEmpty());
      if (commands[i] == Command::autoRefresh) {
        QCOMPARE(a->toolTip(), QString::fromUtf8("発言や行動を入力・送信する時は、自動更新を手動で切ってください。"));
      } else {
        QVERIFY(a->toolTip().isEmpty());
      }
      QCOMPARE(a->isEnabled(), commands[i] != Command::copySpeeches);
      QVERIFY(!a->isChecked());
    }
    // The buttons sit left to right with the separators' gaps between them.
    QList<int> xs;
    for (Command c : commands) xs << bar->widgetForAction(window_->commandAction(c))->x();
    for (int i = 1; i < xs.size(); ++i) QVERIFY(xs[i] > xs[i - 1]);
    QVERIFY(xs[0] >= 48);  // six separators of 8 pixels before the first button
  }

  void browserBelowTheThirtyPixelBand() {
    window_->resize(800, 600);
    QTest::qWait(100);
    QWidget* central = window_->centralWidget();
    QCOMPARE(QRect(view_->mapTo(central, QPoint(0, 0)), view_->size()),
             QRect(0, jinro::kToolbarBand, central->width(), central->height() - jinro::kToolbarBand));
    // The notes pane shares the width, to the page's right, and goes again.
    window_->commandAction(Command::notes)->trigger();
    QTest::qWait(100);
    QWidget* notes = window_->findChild<QWidget*>(QStringLiteral("notes_pane"));
    QVERIFY(notes && notes->isVisible());
    QVERIFY(view_->width() < central->width());
    QCOMPARE(notes->mapTo(central, QPoint(0, 0)).x(), view_->width() + (central->width() - view_->width() - notes->width()));
    window_->commandAction(Command::notes)->trigger();
    QVERIFY(!notes->isVisible());
  }

  void stateItemsShowTheirCheckBeforeAnySwitch() {
    // A new window, its client not yet started: the items already carry a
    // check indicator, so "OFF" and "自動更新" show unchecked rather than plain.
    jinro::MainWindow fresh;
    for (Command c : {Command::autoRefresh, Command::soundOn, Command::soundOff}) {
      QVERIFY(fresh.menuAction(c)->isCheckable());
      QVERIFY(!fresh.menuAction(c)->isChecked());
    }
    QVERIFY(window_->menuAction(Command::soundOn)->isChecked());  // the started client's sound is on
  }

  void commandStatesFollowTheClient() {
    QAction* copy = window_->commandAction(Command::copySpeeches);
    window_->setCommandEnabled(Command::copySpeeches, true);
    QVERIFY(copy->isEnabled());
    window_->setCommandEnabled(Command::copySpeeches, false);
    QVERIFY(!copy->isEnabled());

    // The automatic refresh button: the client switches and the window shows it.
    QAction* autoRefresh = window_->commandAction(Command::autoRefresh);
    autoRefresh->trigger();
    QVERIFY(fake_.timer.running);
    QVERIFY(autoRefresh->isChecked());
    QVERIFY(window_->menuAction(Command::autoRefresh)->isChecked());
    autoRefresh->trigger();
    QVERIFY(!fake_.timer.running);
    QVERIFY(!autoRefresh->isChecked());
    QVERIFY(!window_->menuAction(Command::autoRefresh)->isChecked());

    // Reverse-row mode, pressed and released, each time reading the page again.
    QAction* reverse = window_->commandAction(Command::reverseRows);
    fake_.browser.navigations.clear();
    reverse->trigger();
    QVERIFY(reverse->isChecked() && reverse->isEnabled());
    reverse->trigger();
    QVERIFY(!reverse->isChecked());
    QCOMPARE(fake_.browser.navigations.size(), size_t{2});

    // Sound OFF from the menu: only one of the pair is checked.
    window_->menuAction(Command::soundOff)->trigger();
    QVERIFY(window_->menuAction(Command::soundOff)->isChecked());
    QVERIFY(!window_->menuAction(Command::soundOn)->isChecked());
    QVERIFY(!client_->alarms().soundOn());
  }

  // A reason longer than the room the fields leave ends in "…" and is whole
  // in the tooltip; a short one has no tooltip; the fields stay whole.
  void aLongStatusLineGivesWayToTheFields() {
    window_->resize(600, 400);
    window_->showGameStatus("1日目 投票時間");
    const std::string reason = "警報音を鳴らせません（投票時間中）: cannot open /home/player/sounds/nothere.wav";
    window_->showStatusText(reason);
    QTest::qWait(100);
    auto* line = window_->findChild<QWidget*>(QStringLiteral("status_text"));
    auto* game = window_->findChild<QLabel*>(QStringLiteral("status_game"));
    QVERIFY(line && game);
    QCOMPARE(line->toolTip(), QString::fromStdString(reason));
    QVERIFY(line->width() < line->sizeHint().width());
    QVERIFY(game->width() >= game->sizeHint().width());
    window_->showStatusText("short");
    QTest::qWait(50);
    QVERIFY(line->toolTip().isEmpty());
    window_->showStatusText("");
  }

  void geometryRoundTrip() {
    const jinro::WindowGeometry g{100, 120, 640, 480, jinro::WindowGeometry::State::normal, false};
    window_->applyWindowGeometry(g);
    QTest::qWait(200);
    QCOMPARE(window_->windowGeometry(), g);
  }

 private:
  QTemporaryDir dir_;
  jinro::fake::FakeDesktop fake_;  // all but the window, its status bar and boxes
  jinro::MainWindow* window_ = nullptr;
  QWidget* view_ = nullptr;  // owned by the window
  std::unique_ptr<jinro::Client> client_;
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
