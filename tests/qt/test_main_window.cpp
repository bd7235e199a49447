// The main window as built: title, menu bar (texts, order, command ids),
// toolbar (ids, glyphs, the one tooltip, start states), the 30-pixel band
// above the browser, toolbar states as the dispatcher sets them, and the
// placement round trip.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QWebEngineView>

#include "app/ids.h"
#include "platform/qt/qt_text.h"
#include "ui/main_window.h"

using jinro::qt::fromShiftJis;

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    window_ = new jinro::MainWindow();
    QVERIFY(window_->createBrowser());
    window_->startClient();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
  }
  void cleanupTestCase() {
    window_->controller().ports.browser = nullptr;
    delete window_;
  }

  void titleUntilTheFirstPage() {
    QCOMPARE(window_->windowTitle(), fromShiftJis("\x81uMoonvale\x81vThornfield"));  // 「Moonvale」Thornfield
  }

  void menuBarTextsOrderAndIds() {
    struct Item {
      QString text;
      int id;  // 0: separator
    };
    const QList<QPair<QString, QList<Item>>> expected = {
        {fromShiftJis("\xCC\xA7\xB2\xD9(&F)"),  // ﾌｧｲﾙ(&F)
         {{fromShiftJis("\x8E\xE8\x93\xAE\x8DX\x90V(&H)"), 40005},  // 手動更新(&H)
          {fromShiftJis("\x8E\xA9\x93\xAE\x8DX\x90V(&A)"), 40006},  // 自動更新(&A)
          {QString(), 0},
          {fromShiftJis("\x8FI\x97\xB9(&Q)"), 40007}}},  // 終了(&Q)
        {fromShiftJis("\x89\xB9\x90\xBA(&S)"), {{QStringLiteral("ON"), 40001}, {QStringLiteral("OFF"), 40002}}},
        {fromShiftJis("\x90\xDD\x92\xE8(&C)"),
         {{fromShiftJis("\x91S\x94\xCA\x82\xCC\x90\xDD\x92\xE8(&G)"), 40010},
          {fromShiftJis("\x89\xB9\x90\xBA\x82\xCC\x90\xDD\x92\xE8(&S)"), 40011}}},
        {fromShiftJis("\xB3\xA8\xDD\xC4\xDE\xB3(&W)"),
         {{fromShiftJis("\x91S\xB3\xA8\xDD\xC4\xDE\xB3\x82\xF0\x8D\xC5\x8F\xAC\x89\xBB(&L)"), 40008},
          {fromShiftJis("\x91S\xDB\xB8\xDE\xB3\xA8\xDD\xC4\xDE\xB3\x82\xF0\x95\xC2\x82\xB6\x82\xE9(&C)"), 40016},
          {fromShiftJis("\x91S\xB3\xA8\xDD\xC4\xDE\xB3\x82\xF0\x8D\xB6\x8F\xE3\x82\xD6\x88\xDA\x93\xAE(&T)"), 50019}}},
        {fromShiftJis("\xCD\xD9\xCC\xDF(&H)"),
         {{fromShiftJis("Readme\x82\xF0\x8AJ\x82\xAD(&R)"), 40013},
          {fromShiftJis("\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1(&V)"), 40014}}},
    };
    const QList<QAction*> menus = window_->menuBar()->actions();
    QCOMPARE(menus.size(), expected.size());
    for (int i = 0; i < menus.size(); ++i) {
      QCOMPARE(menus[i]->text(), expected[i].first);
      const QList<QAction*> items = menus[i]->menu()->actions();
      QCOMPARE(items.size(), expected[i].second.size());
      for (int j = 0; j < items.size(); ++j) {
        const Item& want = expected[i].second[j];
        if (want.id == 0) {
          QVERIFY(items[j]->isSeparator());
        } else {
          QCOMPARE(items[j]->text(), want.text);
          QCOMPARE(items[j]->data().toInt(), want.id);
        }
      }
    }
    // Only "ON" starts checked.
    for (QAction* menu : menus) {
      for (QAction* item : menu->menu()->actions()) {
        QCOMPARE(item->isChecked(), item->data().toInt() == jinro::IDM_SOUND_ON);
      }
    }
  }

  void toolbarButtonsTooltipAndStartStates() {
    QToolBar* bar = window_->findChild<QToolBar*>(QStringLiteral("toolbar_50006"));
    QVERIFY(bar);
    QList<int> ids;
    for (QAction* a : bar->actions()) {
      if (a->data().isValid()) ids << a->data().toInt();
    }
    QCOMPARE(ids, (QList<int>{50007, 50008, 50009, 50013, 50034}));
    for (int id : ids) {
      QAction* a = window_->commandAction(id);
      QVERIFY(!a->icon().isNull());
      QVERIFY(a->text().isEmpty());
      if (id == jinro::ID_TB_AUTO_REFRESH) {
        // 発言や行動を入力・送信する時は、自動更新を手動で切ってください。
        QCOMPARE(a->toolTip(), QString::fromUtf8("発言や行動を入力・送信する時は、自動更新を手動で切ってください。"));
      } else {
        QVERIFY(a->toolTip().isEmpty());
      }
      QCOMPARE(a->isEnabled(), id != jinro::ID_TB_COPY_SPEECH);
      QVERIFY(!a->isChecked());
    }
    // The buttons sit left to right with the separators' gaps between them.
    QList<int> xs;
    for (int id : ids) xs << bar->widgetForAction(window_->commandAction(id))->x();
    for (int i = 1; i < xs.size(); ++i) QVERIFY(xs[i] > xs[i - 1]);
    QVERIFY(xs[0] >= 48);  // six separators of 8 pixels before the first button
  }

  void browserBelowTheThirtyPixelBand() {
    window_->resize(800, 600);
    QTest::qWait(100);
    QWebEngineView* view = window_->browserView();
    QVERIFY(view);
    QWidget* central = window_->centralWidget();
    QCOMPARE(view->geometry(), QRect(0, jinro::kToolbarBand, central->width(), central->height() - jinro::kToolbarBand));
  }

  void toolbarStatesFollowTheDispatcher() {
    QAction* reverse = window_->commandAction(jinro::ID_TB_REVERSE);
    window_->setToolbarButtonState(jinro::ID_TB_REVERSE, jinro::TBSTATE_CHECKED_ENABLED);
    QVERIFY(reverse->isChecked() && reverse->isEnabled());
    window_->setToolbarButtonState(jinro::ID_TB_REVERSE, jinro::TBSTATE_ENABLED);
    QVERIFY(!reverse->isChecked() && reverse->isEnabled());
    QAction* copy = window_->commandAction(jinro::ID_TB_COPY_SPEECH);
    window_->setToolbarButtonState(jinro::ID_TB_COPY_SPEECH, jinro::TBSTATE_ENABLED);
    QVERIFY(copy->isEnabled());
    window_->setToolbarButtonState(jinro::ID_TB_COPY_SPEECH, jinro::TBSTATE_DISABLED);
    QVERIFY(!copy->isEnabled());

    // The automatic refresh button as the dispatcher toggles it.
    QAction* autoRefresh = window_->commandAction(jinro::ID_TB_AUTO_REFRESH);
    autoRefresh->trigger();
    QVERIFY(autoRefresh->isChecked());
    QCOMPARE(window_->controller().autoRefreshOn, 1);
    QVERIFY(window_->commandAction(jinro::IDM_AUTO_REFRESH)->isChecked());
    autoRefresh->trigger();
    QVERIFY(!autoRefresh->isChecked());
    QCOMPARE(window_->controller().timerRunning, 0);
  }

  void placementRoundTrip() {
    jinro::WindowPlacement p;
    p.flags = 1;
    p.showCmd = jinro::SW_SHOWNORMAL;
    p.ptMinPositionX = -32000;
    p.rcNormalLeft = 100;
    p.rcNormalTop = 120;
    p.rcNormalRight = 740;
    p.rcNormalBottom = 600;
    window_->applyPlacement(p);
    QTest::qWait(200);
    const jinro::WindowPlacement q = window_->placement();
    QCOMPARE(q.showCmd, jinro::SW_SHOWNORMAL);
    QCOMPARE(q.rcNormalLeft, 100);
    QCOMPARE(q.rcNormalTop, 120);
    QCOMPARE(q.rcNormalRight, 740);
    QCOMPARE(q.rcNormalBottom, 600);
    QCOMPARE(q.ptMinPositionX, -32000);  // kept as read
    QCOMPARE(q.flags & jinro::WPF_RESTORETOMAXIMIZED, 0u);
  }

 private:
  jinro::MainWindow* window_ = nullptr;
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
