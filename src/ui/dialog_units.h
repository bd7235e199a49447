#pragma once
// Helpers shared by the settings dialogs: their error texts and dialog
// units. A dialog's layout is given in dialog units; they become pixels
// through the dialog font's average character width and height, a horizontal
// unit being a quarter of the width and a vertical one an eighth of the height.
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <string>
#include <string_view>

namespace jinro::ui {

// Texts of the settings dialogs' error boxes, in UTF-8 (QString::fromUtf8).
inline constexpr char kErrorCaption[] = "ｴﾗｰ";
inline constexpr char kSettingsWriteFailed[] = "設定ファイル jinro.ini に書き込めませんでした。";

// The font of the settings dialogs: IPA P Gothic (or IPA Gothic) 9 pt when installed.
QFont settingsDialogFont();

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  DialogUnits(int averageCharWidth, int charHeight) : cx_(averageCharWidth), cy_(charHeight) {}

  int x(int units) const { return mulDiv(units, cx_, 4); }
  int y(int units) const { return mulDiv(units, cy_, 8); }
  QPoint point(int ux, int uy) const { return {x(ux), y(uy)}; }
  QSize size(int uw, int uh) const { return {x(uw), y(uh)}; }
  // As the desktop maps a dialog rectangle: each edge converted on its own.
  QRect rect(int ux, int uy, int uw, int uh) const {
    return QRect(QPoint(x(ux), y(uy)), QPoint(x(ux + uw) - 1, y(uy + uh) - 1));
  }
  int averageCharWidth() const { return cx_; }
  int charHeight() const { return cy_; }

 private:
  static int mulDiv(int a, int b, int c) { return a >= 0 ? (a * b + c / 2) / c : -((-a * b + c / 2) / c); }
  int cx_;
  int cy_;
};

}  // namespace jinro::ui
