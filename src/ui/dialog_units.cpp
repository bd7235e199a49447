#include "ui/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

#include "platform/code_page.h"

namespace jinro::ui {

QString fromShiftJis(std::string_view shiftJis) {
  return QString::fromStdU16String(shiftJisToUtf16(shiftJis));
}

std::string toShiftJis(const QString& text) {
  return utf16ToShiftJis(text.toStdU16String());
}

QFont settingsDialogFont() {
  QFont font;
  if (QFontDatabase::families().contains(QStringLiteral("IPAGothic"))) font.setFamily(QStringLiteral("IPAGothic"));
  font.setPointSize(9);
  return font;
}

DialogUnits::DialogUnits(const QFont& font) {
  // The average width is taken over the 52 letters, rounded as the desktop
  // does; the height is the font's line height.
  QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  cx_ = std::max(1, (letters / 26 + 1) / 2);
  cy_ = std::max(1, metrics.height());
}

}  // namespace jinro::ui
