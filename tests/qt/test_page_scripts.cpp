// The page scripts and the speech draft's way to them and back, without a
// browser: the scripts are taken from the program's resources and run in a
// plain JavaScript engine, on stand-ins for the page's elements.
#include <QJSEngine>
#include <QtTest>

#include "backends/qt/page_scripts.h"
#include "backends/qt/speech_draft_value.h"

using namespace jinro;
using namespace jinro::qt;

namespace {

// A speech form: a select whose own choice is its first option, and the box.
constexpr char kPage[] = R"(
  var command = {tagName: 'SELECT', name: 'COMMAND', selectedIndex: 0,
                 get value() { return this.options[this.selectedIndex].value; },
                 options: [{value: 'MSG', defaultSelected: false}, {value: 'VOTE', defaultSelected: false}]};
  var box = {tagName: 'TEXTAREA', value: '', selectionStart: 0, selectionEnd: 0,
             setSelectionRange: function (s, e) { this.selectionStart = s; this.selectionEnd = e; },
             focus: function () { document.activeElement = this; }};
  var elements = [command, box];
  elements.namedItem = function (n) { return n === 'COMMAND' ? command : null; };
  box.form = command.form = {elements: elements};
  var document = {activeElement: null,
                  getElementsByName: function (n) { return n === 'TXTMSG' ? [box] : []; },
                  documentElement: {tagName: 'HTML', outerHTML: '<html>0123456789</html>'}};
)";

SpeechDraft draft() {
  SpeechDraft d;
  d.text = u"it's \"hello\"\\\n人狼 \U0001F43A";
  d.selects = {{u"COMMAND", u"VOTE"}, {u"CMBPLAYER", u""}};
  d.selectionStart = 3;
  d.selectionEnd = 5;
  d.focused = true;
  return d;
}

QVariant run(QJSEngine& engine, const QString& script) {
  const QJSValue v = engine.evaluate(script);
  if (v.isError()) qWarning() << v.toString();
  return v.toVariant();
}

}  // namespace

class PageScriptsTest : public QObject {
  Q_OBJECT
 private slots:
  void aDraftsLiteralGivesTheDraftBack() {
    QJSEngine engine;
    const QVariant value = run(engine, QLatin1Char('(') + speechDraftLiteral(draft()) + QLatin1Char(')'));
    QCOMPARE(speechDraftFromScript(value), std::optional(draft()));
  }

  void anAnswerThatIsNoObjectIsNoDraft() {
    QVERIFY(!speechDraftFromScript(QVariant()));
    QVERIFY(!speechDraftFromScript(QVariant::fromValue(nullptr)));
    QVERIFY(!speechDraftFromScript(QVariant(true)));
  }

  void selectsThatAreNotPairsAreLeftOut() {
    const QVariantMap answer{{QStringLiteral("text"), QStringLiteral("a")},
                             {QStringLiteral("changed"), true},
                             {QStringLiteral("selects"), QVariantList{QVariantList{QStringLiteral("X")},
                                                                      QVariantList{QStringLiteral("Y"), 2}}}};
    SpeechDraft expected;
    expected.text = u"a";
    expected.selectsChanged = true;
    expected.selects = {{u"Y", u"2"}};
    QCOMPARE(speechDraftFromScript(answer), std::optional(expected));
  }

  void theRootHtmlIsCutToTheLimit() {
    QJSEngine engine;
    run(engine, QString::fromLatin1(kPage));
    QCOMPARE(run(engine, pageScriptCall(PageScript::ReadRootHtml, {QStringLiteral("10")})),
             QVariant(QStringLiteral("<html>0123")));
  }

  void aDraftPutBackIsReadAgain() {
    QJSEngine engine;
    run(engine, QString::fromLatin1(kPage));
    const QString box = pageScript(PageScript::SpeechBox);
    const QString literal = speechDraftLiteral(draft());
    QCOMPARE(run(engine, pageScriptCall(PageScript::RestoreSpeechDraft, {box, literal})), QVariant(true));
    // The box holds text now: a second draft does not overwrite it.
    QCOMPARE(run(engine, pageScriptCall(PageScript::RestoreSpeechDraft, {box, literal})), QVariant(false));

    SpeechDraft expected = draft();
    expected.selects = {{u"COMMAND", u"VOTE"}};  // the page has no CMBPLAYER select
    expected.selectsChanged = true;
    QCOMPARE(speechDraftFromScript(run(engine, pageScriptCall(PageScript::ReadSpeechDraft, {box}))),
             std::optional(expected));
  }

  void aPageWithoutABoxHasNoDraft() {
    QJSEngine engine;
    run(engine, QString::fromLatin1(kPage));
    run(engine, QStringLiteral("document.getElementsByName = function () { return []; };"));
    const QString box = pageScript(PageScript::SpeechBox);
    QVERIFY(!speechDraftFromScript(run(engine, pageScriptCall(PageScript::ReadSpeechDraft, {box}))));
    QCOMPARE(run(engine, pageScriptCall(PageScript::RestoreSpeechDraft, {box, speechDraftLiteral(draft())})),
             QVariant(false));
  }
};

QTEST_GUILESS_MAIN(PageScriptsTest)
#include "test_page_scripts.moc"
