#pragma once
// UTF-16 texts of the logic to and from Qt strings.
#include <QString>
#include <string>

namespace jinro::qt {

inline std::u16string toUtf16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

}  // namespace jinro::qt
