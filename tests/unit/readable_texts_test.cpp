// The Shift_JIS texts that are data, the default triggers of jinro.ini and the
// markers matched in the game page, are written in the source as readable
// UTF-8: each must still come out as the bytes the page and existing
// jinro.ini files hold, which are written here once, in hex.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>

#include "base/code_page.h"
#include "page/row_reversal_impl.h"
#include "page/speech_copy_impl.h"
#include "settings/settings.h"

namespace jinro {
namespace {

std::string fromHex(std::string_view hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  return bytes;
}

TEST(ReadableTexts, DefaultTriggersKeepTheirShiftJisBytes) {
  const std::map<std::string_view, std::string_view> expected = {
      {"tohyo_trigger_string", "938A955B3C2F666F6E743E82F08D7382C182C482AD82BE82B382A28142"},
      {"kodo_trigger_string", "945C97CD91CE8FDB3C2F666F6E743E82F08C8892E882B582C482AD82BE82B382A28142"},
      {"sonmin_trigger_string", "817591BA8140906C817682CC8F9F979882C582B781493C2F666F6E743E"},
      {"jinro_trigger_string", "906C814098543C2F666F6E743E817682CC8F9F979882C582B781493C2F666F6E743E"},
      {"yoko_trigger_string", "976481408CCF3C2F666F6E743E817682CC8F9F979882C582B781493C2F666F6E743E"},
      {"hikiwake_trigger_string", "817588F882AB95AA82AF817682C582B781493C2F666F6E743E"},
      {"nekomata_trigger_string", "944C814096943C2F666F6E743E817682CC8F9F979882C582B781493C2F666F6E743E"},
      {"sonmintoroku_trigger_string", "3C423E91BA96AF936F985E8F913C2F423E"},
  };
  size_t seen = 0;
  for (const SoundKey& k : soundKeys()) {
    const auto it = expected.find(k.key);
    if (it == expected.end()) continue;
    ++seen;
    // The defaults are UTF-8; the file and the pages get these bytes.
    EXPECT_EQ(utf8ToShiftJis(k.defaultText), fromHex(it->second)) << k.key;
  }
  EXPECT_EQ(seen, expected.size());
}

TEST(ReadableTexts, PageMarkersKeepTheirShiftJisBytes) {
  const DialectTable& standard = dialectTable(Dialect::standard);
  const struct {
    const char* name;
    std::string_view text;
    std::string_view hex;
  } markers[] = {
      {"action label", standard.gamePageMarkers[0], "8D7393AE2F8D589056"},
      {"redisplay label", standard.gamePageMarkers[1], "8DC4955C8EA6"},
      {"table anchor", standard.tableAnchor, "94D4926E3C"},
      {"role link", standard.linkFixes[1].head, "83418369835E82CC96F08A8482CD81753C4120687265663D"},
      {"first speech", standard.copyStart[3], "3E819F3C"},
      {"ghosts' room", standard.copyEndReversed[0], "819F20974897EC82CC8AD4"},
      {"speech::kNameBeforeQuote", speech::kNameBeforeQuote, "82F18175"},
      {"speech::kNameSpaceQuote", speech::kNameSpaceQuote, "82F1208175"},
  };
  for (const auto& m : markers) EXPECT_EQ(m.text, fromHex(m.hex)) << m.name;
}

}  // namespace
}  // namespace jinro
