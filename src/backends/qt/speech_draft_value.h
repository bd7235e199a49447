#pragma once
// The speech draft as the page's scripts see it, and back: what
// read_speech_draft.js answers (a QVariant of a plain object) becomes a
// SpeechDraft, and a SpeechDraft becomes the JavaScript object literal that
// restore_speech_draft.js is given. Kept apart from the browser so that it
// can be tested without one.
#include <QString>
#include <QVariant>
#include <optional>

#include "platform/browser.h"

namespace jinro::qt {

// The draft in a script's answer; nullopt for anything but an object (null:
// the page has no speech box; invalid: no answer came).
std::optional<SpeechDraft> speechDraftFromScript(const QVariant& result);

// The draft as a JavaScript object literal. Every character of its texts
// that is not a letter or a digit is escaped, so that nothing in a text can
// end its string.
QString speechDraftLiteral(const SpeechDraft& draft);

}  // namespace jinro::qt
