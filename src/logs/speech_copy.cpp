#include "logs/speech_copy.h"

#include "logs/speech_copy_impl.h"
#include "platform/clipboard.h"

namespace jinro {

SpeechCopyResult speechText(std::string_view pageText, bool reverseRows, std::string& out) {
  return speech::speechTextWith<FastTextOps>(pageText, reverseRows, out);
}

void copySpeeches(ClientController& c) {
  std::string text;
  SpeechCopyResult result = speechText(c.pageText, analysis::isSet(c.reverseRows), text);
  if (result == SpeechCopyResult::notGamePage) return;
  // From here on a page without the speech table leaves the clipboard empty.
  if (c.ports.clipboard == nullptr || !c.ports.clipboard->clear()) return;
  if (result == SpeechCopyResult::copied) c.ports.clipboard->setText(text);
}

}  // namespace jinro
