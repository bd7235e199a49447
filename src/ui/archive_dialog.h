#pragma once
// "過去の記録": the villages whose day logs were kept, and their days, newest
// first; the one chosen opens in the log viewer.
#include <QDialog>
#include <optional>
#include <vector>

#include "client/village_archive.h"

class QTreeWidget;

namespace jinro {

class ArchiveDialog : public QDialog {
 public:
  ArchiveDialog(std::vector<ArchivedVillage> villages, QWidget* parent);
  // The day chosen with 開く (or a double click, or Return).
  const std::optional<ArchivedDay>& chosen() const { return chosen_; }

 private:
  void choose();

  std::vector<ArchivedVillage> villages_;
  QTreeWidget* tree_;
  std::optional<ArchivedDay> chosen_;
};

}  // namespace jinro
