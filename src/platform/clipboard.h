#pragma once
#include <string_view>

namespace jinro {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Empties the clipboard. False when it could not be opened.
  virtual bool clear() = 0;
  // Puts text (UTF-8, lines ended by "\r\n") on the clipboard; the
  // adapter uses the desktop's line ends.
  virtual bool setText(std::string_view utf8Text) = 0;
};

}  // namespace jinro
