#pragma once
// One line of text that gives way to its neighbours: in less room than it
// needs it ends in "…", and the whole text is its tooltip. The status bar's
// line takes what the fields on its right leave, which in a small window is
// not enough for a reason of any length.
#include <QString>
#include <QWidget>

namespace jinro {

class ElidedLine : public QWidget {
 public:
  explicit ElidedLine(QWidget* parent = nullptr);

  void setText(const QString& text);
  const QString& text() const { return text_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void updateToolTip();

  QString text_;
};

}  // namespace jinro
