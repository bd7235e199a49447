#include "client/settings_saves.h"

#include <cstdio>

#include "base/durable_file.h"

namespace jinro {

bool SettingsSaves::note(const Result<void>& saved) {
  if (saved) return true;
  std::fprintf(stderr, "jinro-client: the settings could not be saved to jinro.ini: %s\n", saved.error().c_str());
  if (!told_) {
    told_ = true;  // before the box: saves made while it is open count as told
    notices_.showNotice({"設定ファイル jinro.ini に書き込めませんでした。ウィンドウの位置や設定の変更は保存されていません。"
                       "jinro.ini のあるフォルダーに書き込めるか確かめてください。",
                       "設定を保存できません", MessageIcon::error});
  }
  return false;
}

bool SettingsSaves::checkWritable(const std::string& path) {
  return note(probeReplaceable(path));
}

}  // namespace jinro
