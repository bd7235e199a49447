#include "ui/elided_line.h"

#include <QPainter>
#include <QStyle>

namespace jinro {

namespace {
constexpr int kMargin = 3;  // beside the text, as the bar's own message has
}

ElidedLine::ElidedLine(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ElidedLine::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  updateGeometry();
  updateToolTip();
  update();
}

QSize ElidedLine::sizeHint() const {
  return {fontMetrics().horizontalAdvance(text_) + 2 * kMargin, fontMetrics().height()};
}

// Room for the ellipsis and a character or two before it.
QSize ElidedLine::minimumSizeHint() const {
  return {fontMetrics().horizontalAdvance(QStringLiteral("警報…")) + 2 * kMargin, fontMetrics().height()};
}

void ElidedLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect room = rect().adjusted(kMargin, 0, -kMargin, 0);
  const QString shown = fontMetrics().elidedText(text_, Qt::ElideRight, room.width());
  style()->drawItemText(&painter, room, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), shown,
                        QPalette::WindowText);
}

void ElidedLine::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  updateToolTip();
}

// The whole text on hover, only when some of it is hidden.
void ElidedLine::updateToolTip() {
  const bool cut = fontMetrics().horizontalAdvance(text_) > width() - 2 * kMargin;
  setToolTip(cut ? text_ : QString());
}

}  // namespace jinro
