#include "ui/archive_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace jinro {

namespace {

// Where in `villages_` an item's day stands.
constexpr int kVillageRole = Qt::UserRole;
constexpr int kDayRole = Qt::UserRole + 1;

}  // namespace

ArchiveDialog::ArchiveDialog(std::vector<ArchivedVillage> villages, QWidget* parent)
    : QDialog(parent), villages_(std::move(villages)) {
  setWindowTitle(QStringLiteral("過去の記録"));
  setObjectName(QStringLiteral("archive"));
  auto* layout = new QVBoxLayout(this);
  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("archive_days"));
  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);
  layout->addWidget(tree_, 1);
  QTreeWidgetItem* first = nullptr;
  for (size_t v = 0; v < villages_.size(); ++v) {
    const ArchivedVillage& village = villages_[v];
    auto* top = new QTreeWidgetItem(tree_, {QStringLiteral("%1 — %2村").arg(QString::fromStdString(village.host),
                                                                          QString::fromStdString(village.number))});
    top->setFlags(Qt::ItemIsEnabled);
    for (size_t d = 0; d < village.days.size(); ++d) {
      auto* item = new QTreeWidgetItem(top, {QStringLiteral("%1日目の記録").arg(village.days[d].day)});
      item->setData(0, kVillageRole, static_cast<qulonglong>(v));
      item->setData(0, kDayRole, static_cast<qulonglong>(d));
      if (first == nullptr) first = item;
    }
    top->setExpanded(true);
  }
  if (villages_.empty()) {
    layout->insertWidget(0, new QLabel(QStringLiteral("保存された記録はまだありません。"), this));
  }

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* open = buttons->addButton(QStringLiteral("開く"), QDialogButtonBox::AcceptRole);
  open->setObjectName(QStringLiteral("archive_open"));
  open->setDefault(true);
  buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &ArchiveDialog::choose);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(tree_, &QTreeWidget::itemActivated, this, [this] { choose(); });
  open->setEnabled(first != nullptr);
  if (first) tree_->setCurrentItem(first);
  tree_->setFocus();
  resize(360, 320);
}

void ArchiveDialog::choose() {
  const QTreeWidgetItem* item = tree_->currentItem();
  if (item == nullptr || !item->data(0, kDayRole).isValid()) return;
  const auto v = item->data(0, kVillageRole).toULongLong();
  const auto d = item->data(0, kDayRole).toULongLong();
  chosen_ = villages_[v].days[d];
  accept();
}

}  // namespace jinro
