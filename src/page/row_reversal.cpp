#include "page/row_reversal.h"

#include "base/server_url.h"
#include "page/row_reversal_impl.h"

namespace jinro {

size_t reverseRowsAndFixLinks(std::string& text, bool gameOver, ServerKind choice) {
  return reversal::reverseRowsAndFixLinksWith<FastTextOps>(text, gameOver, serverBaseUrl(), choice);
}

}  // namespace jinro
