#include "ui/notes_pane_widget.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

namespace jinro {

namespace {

// How long the player may pause before the notes are saved.
constexpr int kSavePauseMilliseconds = 800;

}  // namespace

NotesPaneWidget::NotesPaneWidget(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("notes_pane"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 2, 2, 2);
  layout->setSpacing(2);
  village_ = new QLabel(QStringLiteral("メモ（村のページを開くとその村のメモになります）"), this);
  village_->setObjectName(QStringLiteral("notes_village"));
  village_->setWordWrap(true);
  layout->addWidget(village_);
  edit_ = new QPlainTextEdit(this);
  edit_->setObjectName(QStringLiteral("notes"));
  edit_->setEnabled(false);  // until a village is known, there is nowhere to keep notes
  layout->addWidget(edit_, 1);
  setMinimumWidth(160);

  pause_.setSingleShot(true);
  pause_.setInterval(kSavePauseMilliseconds);
  connect(&pause_, &QTimer::timeout, this, [this] {
    if (edited_) edited_(edit_->toPlainText());
  });
  connect(edit_, &QPlainTextEdit::textChanged, this, [this] {
    if (!loading_) pause_.start();
  });
}

void NotesPaneWidget::showNotes(const QString& text, const QString& village) {
  pause_.stop();
  loading_ = true;
  edit_->setPlainText(text);
  loading_ = false;
  edit_->setEnabled(true);
  village_->setText(QStringLiteral("メモ — %1").arg(village));
}

void NotesPaneWidget::appendLine(const QString& line) {
  if (!edit_->isEnabled()) return;
  QTextCursor cursor(edit_->document());
  cursor.movePosition(QTextCursor::End);
  const QString text = edit_->toPlainText();
  cursor.insertText((text.isEmpty() || text.endsWith(QLatin1Char('\n')) ? QString() : QStringLiteral("\n")) + line +
                    QLatin1Char('\n'));
  edit_->verticalScrollBar()->setValue(edit_->verticalScrollBar()->maximum());
}

void NotesPaneWidget::flush() {
  if (!pause_.isActive()) return;
  pause_.stop();
  if (edited_) edited_(edit_->toPlainText());
}

}  // namespace jinro
