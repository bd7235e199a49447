#pragma once
// The notes pane beside the page: the village's name and a plain text the
// player writes in. An edit is handed on once the player pauses.
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace jinro {

class NotesPaneWidget : public QWidget {
 public:
  explicit NotesPaneWidget(QWidget* parent);

  // Called with the whole text a moment after the player stops changing it.
  void onEdited(std::function<void(const QString&)> handler) { edited_ = std::move(handler); }

  // Another village's notes: shown as they are, not handed on as an edit.
  void showNotes(const QString& text, const QString& village);
  // A line at the end (a quoted speech), handed on like an edit.
  void appendLine(const QString& line);
  QString text() const { return edit_->toPlainText(); }
  // An edit still waiting for the pause, handed on now.
  void flush();

 private:
  QLabel* village_;
  QPlainTextEdit* edit_;
  QTimer pause_;
  bool loading_ = false;
  std::function<void(const QString&)> edited_;
};

}  // namespace jinro
