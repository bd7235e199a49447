#include "ui/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

namespace jinro::ui {

QFont settingsDialogFont() {
  // The proportional face first: its letters and kana keep the proportions
  // for which the layouts' label widths were made.
  QFont font;
  const QStringList families = QFontDatabase::families();
  for (const char* name : {"IPAPGothic", "IPAGothic"}) {
    if (families.contains(QLatin1String(name))) {
      font.setFamily(QLatin1String(name));
      break;
    }
  }
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
