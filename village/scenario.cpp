#include "scenario.h"

#include <random>

#include "pages.h"

namespace village {

const std::vector<Scenario>& allScenarios() {
  using R = Role;
  using W = Winner;
  using E = Encoding;
  using H = Hostile;
  static const std::vector<Scenario> list = {
      {"demo", "8 villagers: the lobby fills, then a whole game (the player, no. 3, is the seer)", 8, 4, 3,
       R::Seer, false, 0, W::None, true, E::ShiftJis, H::None, 0, true},
      {"registration", "a lobby of 8 with 3 villagers and no player: register through the form", 8, 3, 0,
       R::Villager, false, 0, W::None, true, E::ShiftJis, H::None, 0, true},
      {"full-lobby", "a lobby of 16 with 15 villagers; the next step fills it, the one after starts the game", 16,
       15, 3, R::Villager, false, 0, W::None, true, E::ShiftJis, H::None},
      {"full-lobby-22", "a lobby of 22 with 20 villagers; a villager joins each step until 22 of 22, then the game starts",
       22, 20, 3, R::Villager, false, 0, W::None, true, E::ShiftJis, H::None, 0, true},
      {"full-lobby-nospace", "as full-lobby, the living count written without a space", 16, 15, 3, R::Villager,
       false, 0, W::None, false, E::ShiftJis, H::None},
      {"day-night", "12 villagers on day 1 (in 2004: at night 1); steps: vote, night, day 2, ... (player no. 3, the seer)", 12, 12, 3,
       R::Seer, true, 0, W::None, true, E::ShiftJis, H::None, 0, true},
      {"day-night-500k", "as day-night, every game page padded to about 500 kB with earlier speeches", 12, 12, 3,
       R::Seer, true, 0, W::None, true, E::ShiftJis, H::None, 500000},
      {"victory", "5 villagers voting on day 1 (in 2004: day 2); the next step: the villagers win", 5, 5, 3, R::Villager, true, 1,
       W::Village, true, E::ShiftJis, H::None, 0, true},
      {"game-village", "8 villagers: night, day, vote, night and so on; the second vote: the villagers win", 8, 8, 3,
       R::Seer, true, 0, W::Village, true, E::ShiftJis, H::None, 0, true, 2},
      {"game-wolves", "as game-village; the werewolves win", 8, 8, 3, R::Seer, true, 0, W::Wolves, true, E::ShiftJis,
       H::None, 0, true, 2},
      {"game-fox", "as game-village; the fox wins", 8, 8, 3, R::Seer, true, 0, W::Fox, true, E::ShiftJis, H::None, 0,
       true, 2},
      {"victory-500k", "as victory, every game page padded to about 500 kB with earlier speeches", 5, 5, 3,
       R::Villager, true, 1, W::Village, true, E::ShiftJis, H::None, 500000},
      {"victory-wolf", "as victory; the werewolves win", 5, 5, 3, R::Villager, true, 1, W::Wolves, true,
       E::ShiftJis, H::None, 0, true},
      {"victory-fox", "as victory; the fox wins", 5, 5, 3, R::Villager, true, 1, W::Fox, true, E::ShiftJis,
       H::None, 0, true},
      {"victory-cat", "as victory; the cat wins", 5, 5, 3, R::Villager, true, 1, W::Cat, true, E::ShiftJis,
       H::None},
      {"draw", "as victory; the game ends in a draw", 5, 5, 3, R::Villager, true, 1, W::Draw, true, E::ShiftJis,
       H::None},
      {"huge", "every game page is a day page of more than 5 MB", 12, 12, 3, R::Seer, true, 0, W::None, true,
       E::ShiftJis, H::Huge},
      {"random-bytes", "every game page is 1 MiB of random bytes", 12, 12, 3, R::Seer, true, 0, W::None, true,
       E::ShiftJis, H::RandomBytes},
      {"rows-100000", "every game page has a speech table of 100,000 rows", 12, 12, 3, R::Seer, true, 0, W::None,
       true, E::ShiftJis, H::Rows},
      {"nested-10000", "every game page has tables nested 10,000 deep in its speech table", 12, 12, 3, R::Seer,
       true, 0, W::None, true, E::ShiftJis, H::Nested},
      {"self-navigate", "every game page navigates to itself again every 100 ms", 12, 12, 3, R::Seer, true, 0,
       W::None, true, E::ShiftJis, H::SelfNavigate},
      {"opens-windows", "every game page opens new windows when it loads", 12, 12, 3, R::Seer, true, 0, W::None,
       true, E::ShiftJis, H::OpensWindows},
      {"utf8", "day-night with every page in UTF-8", 12, 12, 3, R::Seer, true, 0, W::None, true, E::Utf8,
       H::None},
      {"eucjp", "day-night with every page in EUC-JP", 12, 12, 3, R::Seer, true, 0, W::None, true, E::EucJp,
       H::None},
  };
  return list;
}

const Scenario* findScenario(std::string_view name) {
  for (const Scenario& s : allScenarios())
    if (name == s.name) return &s;
  return nullptr;
}

bool availableIn(const Scenario& s, Dialect d) { return d == Dialect::Standard || s.in2004; }

const Scenario* findScenario(std::string_view name, Dialect d) {
  const Scenario* s = findScenario(name);
  return s && availableIn(*s, d) ? s : nullptr;
}

namespace {

std::string num(long long n) { return std::to_string(n); }

// A day page's top: head, the day, the button, the login fields, then the
// village's 番地 cell and the speech table's start.
std::string hostileTop(int villageNo, std::string_view extraHead) {
  PageOptions opt;
  std::string out = pageHead("人狼の村 第" + num(villageNo) + "村", false, opt);
  out += extraHead;
  out += "<form action=\"cgi_jinro.cgi\" method=\"POST\">\n"
         "<table border=\"0\" cellpadding=\"4\"><tr><td class=\"CLSTD01\"><font size=\"+2\">1</font>日目</td></tr></table>\n"
         "<p><input type=\"submit\" value=\"行動/更新\"> <textarea name=\"TXTMSG\" rows=\"2\" cols=\"40\"></textarea></p>\n";
  out += "<input type=\"hidden\" name=\"TXTPNO\" value=\"3\">\n<input type=\"hidden\" name=\"TXTPASS\" value=\"pass\">\n";
  out += "<input type=\"hidden\" name=\"VILLAGENO\" value=\"" + num(villageNo) + "\">\n";
  out += "<input type=\"hidden\" name=\"TXTLOGIN\" value=\"1\">\n";
  out += std::string("<input type=\"hidden\" name=\"FORMID\" value=\"") + kFormIdPlaceholder + "\">\n";
  out += speechTableStart(villageNo);
  return out;
}

std::string hostileBottom() { return speechTableEnd("おわり") + "</form>\n</body>\n</html>\n"; }

}  // namespace

std::string hostilePage(Hostile kind, int villageNo) {
  std::string out;
  switch (kind) {
    case Hostile::None:
      return out;
    case Hostile::RandomBytes: {
      std::mt19937 rng(20260101);
      out.resize(1 << 20);
      for (char& c : out) c = static_cast<char>(rng() & 0xFF);
      return out;
    }
    case Hostile::Huge: {
      out = hostileTop(villageNo, "");
      // Shift_JIS takes about 0.82 of the UTF-8 bytes of this text.
      const size_t target = 6u * 1024 * 1024 + 512 * 1024;
      for (long long i = 1; out.size() < target; ++i)
        out += speechRow("#ff0000", "アキラ",
                         "「とても長い一日の、とても長い話し合いの記録です。これは " + num(i) + " 番目の発言です。」");
      out += hostileBottom();
      break;
    }
    case Hostile::Rows: {
      out = hostileTop(villageNo, "");
      for (long long i = 1; i <= 100000; ++i) out += speechRow("#0066ff", "ユキ", "「" + num(i) + "」");
      out += hostileBottom();
      break;
    }
    case Hostile::Nested: {
      out = hostileTop(villageNo, "");
      out += "<tr><td width=\"160\" class=\"CLSTD01\"><font color=\"#00aa00\">◆</font>ハルト</td><td>";
      for (int i = 0; i < 10000; ++i) out += "<table><tr><td>";
      out += "底";
      for (int i = 0; i < 10000; ++i) out += "</td></tr></table>";
      out += "</td></tr>\n";
      out += hostileBottom();
      break;
    }
    case Hostile::SelfNavigate: {
      std::string script =
          "<script type=\"text/javascript\">\nsetTimeout(function () {\n  location.replace(\"cgi_jinro.cgi?COMMAND=VIEW&VILLAGENO=" +
          num(villageNo) + "&T=\" + Date.now());\n}, 100);\n</script>\n";
      out = hostileTop(villageNo, script);
      out += speechRow("#ff9900", "サクラ", "「この頁は 0.1 秒ごとに読み込み直されます。」");
      out += hostileBottom();
      break;
    }
    case Hostile::OpensWindows: {
      std::string script =
          "<script type=\"text/javascript\">\nfor (var i = 0; i < 5; i++) {\n  window.open(\"jinro_rule.html?w=\" + i, \"w\" + i);\n}\n</script>\n";
      out = hostileTop(villageNo, script);
      out += speechRow("#cc00cc", "ケンジ",
                       "「<a href=\"jinro_rule.html\" target=\"_blank\">新しい窓で開く</a>」");
      out += hostileBottom();
      break;
    }
  }
  return encodePage(out, Encoding::ShiftJis);
}

}  // namespace village
