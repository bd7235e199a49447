#pragma once
// The scripts the browser runs in its pages. They are JavaScript files in the
// program's resources (resources/page_scripts.qrc), each one function
// expression, so that they can be read, linted and changed as JavaScript
// rather than as string literals in C++.
#include <QString>
#include <QStringList>

namespace jinro::qt {

enum class PageScript {
  ReadRootHtml,        // (limit) -> the root element's outer HTML, cut to limit
  SpeechBox,           // () -> the speech box or null
  ReadSpeechDraft,     // (speechBox) -> the speech form's draft or null
  RestoreSpeechDraft,  // (speechBox, draft) -> whether the box took the draft
  ScrollTo,            // (left, top)
  RowAt,               // (x, y) -> the outer HTML of the table row there, or null
  ScrollPosition,      // () -> [left, top]
};

// The script as an expression whose value is its function; read from the
// resources on first use and kept.
const QString& pageScript(PageScript which);

// The script called with these arguments, each a JavaScript expression.
QString pageScriptCall(PageScript which, const QStringList& arguments = {});

}  // namespace jinro::qt
