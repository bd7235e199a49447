#include "page/speech_text.h"

#include "page/speech_copy_impl.h"

namespace jinro {

SpeechCopyResult speechText(std::string_view pageText, bool reverseRows, std::string& out, ServerKind choice) {
  return speech::speechTextWith<FastTextOps>(pageText, reverseRows, out, choice);
}

}  // namespace jinro
