#pragma once
// Shift_JIS byte texts of the logic to and from Qt strings.
#include <QString>
#include <string>
#include <string_view>

#include "base/code_page.h"

namespace jinro::qt {

inline QString fromShiftJis(std::string_view text) {
  const std::u16string u = shiftJisToUtf16(text);
  return QString(reinterpret_cast<const QChar*>(u.data()), static_cast<qsizetype>(u.size()));
}

inline std::u16string toUtf16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

inline std::string toShiftJis(const QString& text) { return utf16ToShiftJis(toUtf16(text)); }

}  // namespace jinro::qt
