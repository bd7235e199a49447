#include "script2004_pages.h"

#include <algorithm>
#include <map>

#include "text.h"

namespace village::script2004 {
namespace {

constexpr const char* kTitle = "「汝は人狼なりや？」スクリプト";
constexpr const char* kVillageName = "月影";
constexpr int kDusk = 48;  // quarter hours from sunrise to sunset, and from dusk to dawn

std::string num(long long n) { return std::to_string(n); }

// The script escapes four characters only; a quote mark stays as it is.
std::string escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\n': out += "<BR>"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string icon(std::string_view file) {
  return "<IMG src=\"img/" + std::string(file) + "\" width=\"32\" height=\"32\" border=\"0\">";
}

std::string nameOf(const Game& g, int no) {
  const Villager* v = g.find(no);
  return v ? escape(v->name) : std::string();
}

const char* roleText(Role r) {
  switch (r) {
    case Role::Wolf: return "人　狼";
    case Role::Seer: return "占い師";
    case Role::Medium: return "霊能者";
    case Role::Hunter: return "狩　人";
    case Role::Madman: return "狂　人";
    case Role::Fox: return "妖　狐";
    case Role::Cat: return "猫　又";
    case Role::Villager: break;
  }
  return "村　人";
}

const char* roleIcon(Role r) {
  switch (r) {
    case Role::Wolf: return "wlf.gif";
    case Role::Seer: return "ura.gif";
    case Role::Medium: return "nec.gif";
    case Role::Hunter: return "bgd.gif";
    case Role::Madman: return "mad.gif";
    case Role::Fox: return "fox.gif";
    default: return "hum.gif";
  }
}

bool won(Role r, Winner w) {
  switch (w) {
    case Winner::Village: return r != Role::Wolf && r != Role::Madman && r != Role::Fox;
    case Winner::Wolves: return r == Role::Wolf || r == Role::Madman;
    case Winner::Fox: return r == Role::Fox;
    case Winner::Cat: return r == Role::Cat;
    default: return false;
  }
}

// The head of a village page: the .CLSTD01 bar and the body's colours tell
// day from night.
std::string villageHead(bool night) {
  std::string out = "<HTML>\n<HEAD>\n<TITLE>";
  out += kTitle;
  out += "</TITLE>\n<STYLE type=\"text/css\"><!--\n";
  out += night ? ".CLSTD01{ color : black; background-color : white; font-weight : bold; }\n"
               : ".CLSTD01{ color : white; background-color : black; font-weight : bold; }\n";
  out += ".CLSTD02{ background-color : #e3e3e3; }\n--></STYLE>\n</HEAD>\n";
  out += night ? "<BODY bgcolor=\"#000000\" text=\"#ffffff\" link=\"#FF6600\" vlink=\"#FF6600\" alink=\"#FF6600\">\n"
               : "<BODY link=\"#FFCC00\" vlink=\"#FFCC00\" alink=\"#FFCC00\">\n";
  out += "<FORM action=\"cgi_jinro.cgi\" method=\"POST\">\n<TABLE width=\"700\" cellspacing=\"5\">\n";
  return out;
}

// The head of every other page of the script: no style, a plain body.
std::string plainHead(bool form) {
  std::string out = "<HTML>\n<HEAD>\n<TITLE>";
  out += kTitle;
  out += "</TITLE>\n</HEAD>\n<BODY>\n";
  if (form) out += "<FORM action=\"cgi_jinro.cgi\" method=\"POST\">\n";
  out += "<TABLE width=\"700\" cellspacing=\"5\">\n";
  return out;
}

std::string plainFoot(bool form) { return form ? "</TABLE></FORM></BODY>\n</HTML>\n" : "</TABLE></BODY>\n</HTML>\n"; }

std::string bar(std::string_view text) { return "<TR><TD class=\"CLSTD01\">" + std::string(text) + "</TD></TR>\n"; }

std::string hidden(std::string_view name, std::string_view value) {
  return "<INPUT type=\"hidden\" name=\"" + std::string(name) + "\" value=\"" + std::string(value) + "\">";
}

// The last row: the way back and who is asking, for the next request.
std::string tailRow(int pno, int villageNo, uint64_t formId) {
  return "<TR><TD class=\"CLSTD01\"><A href=\"jinro_index.htm\">戻る</A>\n" + hidden("TXTPNO", num(pno)) +
         hidden("VILLAGENO", num(villageNo)) + hidden("TXTLOGIN", "2") +
         hidden("FORMID", num(static_cast<long long>(formId))) + "</TD></TR>\n";
}

std::string playerGrid(const Game& g, bool reveal) {
  std::string out = bar("◆ 村人たち") + "<TR><TD><TABLE>\n";
  int i = 0;
  for (const Villager& v : g.villagers()) {
    if (i % 5 == 0) out += "<TR>";
    out += "<TD valign=\"top\">" + icon(v.alive ? "alive" + num((v.no - 1) % 10 + 1) + ".gif" : "grave.gif") + "</TD>\n";
    out += "<TD>" + escape(v.name) + "<BR>";
    if (reveal) out += "<b>" + escape(v.name) + "</b>さん<BR>[" + roleText(v.role) + "]<BR>";
    out += v.alive ? "（生存中）" : "（死　亡）";
    out += "</TD>\n";
    if (++i % 5 == 0) out += "</TR>\n";
  }
  if (i % 5 != 0) out += "</TR>\n";
  return out + "</TABLE></TD></TR>\n";
}

std::string infoLine(std::string_view text) { return "<TR><TD colspan=\"2\">" + std::string(text) + "</TD></TR>\n"; }

std::string myInfo(const Game& g, const Villager& me) {
  std::string out = bar("◆ アナタの情報");
  if (g.phase() == Phase::Over) {
    return out + (won(me.role, g.winner()) ? "<TR><TD>アナタは<FONT color=\"FF0000\">勝利</FONT>しました。</TD></TR>\n"
                                           : "<TR><TD>アナタは<FONT color=\"0000FF\">敗北</FONT>しました。</TD></TR>\n");
  }
  if (!me.alive) return out + "<TR><TD>アナタは息絶えました・・・</TD></TR>\n";
  out += "<TR><TD><TABLE cellspacing=\"0\">\n";
  out += "<TR><TD>" + icon(roleIcon(me.role)) + "</TD><TD>アナタの役割は「" + roleText(me.role) + "」です。</TD></TR>\n";
  bool night = g.phase() == Phase::Night;
  int acted = night ? g.actedOn(me.no) : 0;
  if (me.role == Role::Wolf) {
    for (const Villager& v : g.villagers())
      if (v.role == Role::Wolf && v.no != me.no)
        out += infoLine("【能力発動】誇り高き人狼の血を引く仲間は<b>" + escape(v.name) + "</b>さんです。");
    if (acted) out += infoLine("【能力発動】アナタは<B>" + nameOf(g, acted) + "</B>さんを殺る予定です。");
  }
  if (me.role == Role::Seer) {
    // Tonight's divination, or by day the one of the night before.
    int target = acted;
    if (!night) {
      auto it = g.record(g.day()).divined.find(me.no);
      if (it != g.record(g.day()).divined.end()) target = it->second;
    }
    if (const Villager* t = g.find(target))
      out += infoLine("【能力発動】占いの結果、<B>" + escape(t->name) + "</B>さんは「" +
                      (t->role == Role::Wolf ? "人　狼" : "村　人") + "」でした。");
  }
  if (me.role == Role::Hunter && acted) out += infoLine("【能力発動】今夜は<B>" + nameOf(g, acted) + "</B>さんを守ります。");
  if (g.isSilent(me.no)) out += infoLine("【沈　黙】アナタは他の様子を伺いながら沈黙しています。（発言はできます）");
  if (int voted = g.votedFor(me.no))
    out += infoLine("【投　票】アナタは<B>" + nameOf(g, voted) + "</B>さんに投票を行いました。");
  return out + "</TABLE></TD></TR>\n";
}

int speechQuarters(const Speech& s) {
  size_t bytes = encodePage(escape(s.text), Encoding::ShiftJis).size();
  return static_cast<int>(std::min<size_t>(8, (bytes + 99) / 100));
}

// Quarter hours gone since sunrise: speeches take time, a long silence an hour.
int dayClock(const Game& g) {
  const DayRecord& rec = g.record(g.day());
  int t = 0;
  for (const Event& e : rec.events) {
    if (e.kind == EventKind::Speech) t += speechQuarters(rec.speeches[e.speech]);
    if (e.kind == EventKind::Silence) t += 4;
  }
  return std::min(t, kDusk - 1);
}

std::string timeLeft(const char* until, int clock) {
  int left = kDusk - clock;
  std::string out = std::string(until) + "まであと <FONT size=\"+2\">" + num(left / 4) + "</FONT>時間";
  if (left % 4) out += " <FONT size=\"+2\">" + num((left % 4) * 15) + "</FONT>分";
  return out + "<BR>";
}

std::string clockLine(const Game& g) {
  std::string out = icon("village.gif") + " <FONT size=\"+2\">～ " + kVillageName + "村 ～</FONT><BR>" +
                    icon("clock.gif") + " ";
  Phase p = g.phase();
  if (p == Phase::Lobby) return out + "<FONT size=\"+2\">事件前日</FONT><BR>\n";
  bool night = p == Phase::Night;
  int day = p == Phase::Over ? g.day() + 1 : g.day();
  out += "<FONT size=\"+2\">" + num(day) + "</FONT>日目 <IMG src=\"img/" + (night ? "moon.gif" : "sun.gif") +
         "\" border=\"0\"> ";
  if (p == Phase::Vote) {
    int waiting = 0;
    for (const Villager& v : g.villagers())
      if (v.alive && !g.votedFor(v.no)) ++waiting;
    out += "太陽が西の空に沈みかけています。<FONT size=\"+2\">投票</FONT>を行ってください。<BR>あと<FONT size=\"+2\">" +
           num(waiting) + "</FONT>名の投票待ちとなっています。<BR>";
  } else if (night && g.dawn()) {
    out += "東の空が白みはじめています。<FONT size=\"+2\">能力対象</FONT>を決定してください。<BR><BR>";
  } else if (night) {
    out += timeLeft("夜明け", kDusk / 2);  // night falls at the clock's half
  } else if (p == Phase::Over) {
    out += timeLeft("日没", kDusk / 2);  // the clock stops where the last vote left it
  } else {
    out += timeLeft("日没", dayClock(g));
  }
  return out + "<BR>\n";
}

// One message of the log: a system line across both cells, with its icon.
std::string systemRow(std::string_view iconFile, std::string_view html) {
  return "<TR><TD colspan=\"2\">" + icon(iconFile) + " " + std::string(html) + "\n</TD></TR>\n";
}

std::string speechRow(const Game& g, const Speech& s) {
  const Villager* v = g.find(s.speaker);
  if (!v) return "";
  std::string text = escape(s.text);
  if (s.emphasis > 0) text = "<FONT size=\"+1\">" + text + "</FONT>";
  if (s.emphasis < 0) text = "<FONT size=\"-1\">" + text + "</FONT>";
  return "<TR><TD valign=\"top\" width=\"140\"><FONT color=\"" + v->color + "\">◆</FONT><b>" + escape(v->name) +
         "</b>さん</TD><TD>「" + text + "\n」</TD></TR>\n";
}

std::string victoryRows(Winner w) {
  switch (w) {
    case Winner::Village:
      return systemRow("hum.gif", "<FONT size=\"+2\" color=\"#FF6600\">「村　人」の勝利です！</FONT>") +
             "<TR><TD colspan=\"2\"><FONT size=\"+1\">人狼の血を根絶することに成功しました！</FONT>\n</TD></TR>\n";
    case Winner::Wolves:
      return systemRow("wlf.gif", "<FONT size=\"+2\" color=\"#DD0000\">「人　狼」の勝利です！</FONT>") +
             "<TR><TD colspan=\"2\"><FONT size=\"+1\">最後の一人を食い殺すと人狼達は次の獲物を求めて村を後にした・・・。</FONT>\n</TD></TR>\n";
    case Winner::Fox:
      return systemRow("hum.gif", "<FONT size=\"+2\" color=\"#FF6600\">「妖　狐」の勝利です！</FONT>") +
             "<TR><TD colspan=\"2\"><FONT size=\"+1\">人狼がいなくなった今、我の敵などもういない。</FONT>\n</TD></TR>\n";
    default:
      // The script knows no other end; the village says the game is over.
      return systemRow("msg.gif", "<FONT size=\"+1\">この村での戦いは終わりました。</FONT>");
  }
}

std::string voteRows(const Game& g, int day, const Event& e) {
  std::map<int, int> received;
  for (auto [voter, target] : e.ballots) ++received[target];
  std::string table = "<TABLE>";
  for (auto [voter, target] : e.ballots) {
    table += "<TR><TD><b>" + nameOf(g, voter) + "</b>さん</TD><TD>" + num(received[voter]) + " 票</TD><TD>投票先 → ";
    table += target ? "<b>" + nameOf(g, target) + "</b>さん" : std::string("なし");
    table += "</TD></TR>";
  }
  table += "</TABLE>";
  // Newest first: the heading above its table.
  return "<TR><TD colspan=\"2\"><BR><FONT size=\"+1\">" + num(day) + "日目 投票結果。</FONT>\n</TD></TR>\n" +
         "<TR><TD colspan=\"2\">" + table + "\n</TD></TR>\n";
}

std::string eventRow(const Game& g, int day, const DayRecord& rec, const Event& e) {
  switch (e.kind) {
    case EventKind::Arrival:
      return systemRow("msg.gif", "「<b>" + nameOf(g, e.who) + "</b>さん」が村へやってきました。");
    case EventKind::Speech:
      return e.speech < rec.speeches.size() ? speechRow(g, rec.speeches[e.speech]) : "";
    case EventKind::VoteTable:
      return voteRows(g, day, e);
    case EventKind::Executed:
      return systemRow("dead1.gif", "<b>" + nameOf(g, e.who) +
                                        "</b>さんは村民協議の結果<FONT color=\"#ff0000\">処刑されました・・・。</FONT>");
    case EventKind::Killed:
      return systemRow("dead2.gif", "<b>" + nameOf(g, e.who) +
                                        "</b>さんは翌日<FONT color=\"#ff0000\">無残な姿で発見された・・・。</FONT>");
    case EventKind::NightFalls:
      // The first night is announced by the start of the game, in full-width digits.
      return systemRow("ampm.gif", "<FONT size=\"+1\">" + (day == 1 ? std::string("１") : num(day)) +
                                       "日目の夜となりました。</FONT>");
    case EventKind::Morning:
      return systemRow("ampm.gif", "<FONT size=\"+1\">" + num(day) + "日目の朝となりました。</FONT>");
    case EventKind::Silence:
      return "<TR><TD valign=\"top\">◆<b>村人達</b></TD><TD>「・・・・・・。」１時間ほどの沈黙が続いた。\n</TD></TR>\n";
    case EventKind::Victory:
      return victoryRows(g.winner());
  }
  return "";
}

// What the night shows of its day: the vote, the execution and the fall of night.
bool seenAtNight(EventKind k) {
  return k == EventKind::VoteTable || k == EventKind::Executed || k == EventKind::NightFalls;
}
// What a day shows of the day before: its vote, execution and the night's dead.
bool seenNextDay(EventKind k) {
  return k == EventKind::VoteTable || k == EventKind::Executed || k == EventKind::Killed;
}

std::string logRows(const Game& g, int day, bool (*keep)(EventKind)) {
  const DayRecord& rec = g.record(day);
  std::string out;
  for (auto it = rec.events.rbegin(); it != rec.events.rend(); ++it)
    if (!keep || keep(it->kind)) out += eventRow(g, day, rec, *it);
  return out;
}

std::string eventsSection(const Game& g) {
  std::string out = bar("◆ 出来事") + "<TR><TD>\n" + clockLine(g) + "<TABLE cellpadding=\"0\">\n";
  int day = g.day();
  switch (g.phase()) {
    case Phase::Lobby:
      out += logRows(g, 0, nullptr);
      break;
    case Phase::Night:
      out += logRows(g, day, seenAtNight);
      break;
    case Phase::Over: {
      // The end opens a day of its own: what was said since, the end, and
      // the last day's vote and deaths below.
      const DayRecord& rec = g.record(day);
      bool after = false;
      std::string rows;
      for (const Event& e : rec.events) {
        after = after || e.kind == EventKind::Victory;
        if (after || seenNextDay(e.kind)) rows.insert(0, eventRow(g, day, rec, e));
      }
      out += rows;
      break;
    }
    default:
      out += logRows(g, day, nullptr);
      if (day >= 1) out += logRows(g, day - 1, seenNextDay);
  }
  return out + "</TABLE>\n</TD></TR>\n";
}

std::string option(std::string_view value, std::string_view label) {
  return "<OPTION value=\"" + std::string(value) + "\">" + std::string(label) + "</OPTION>\n";
}

std::string actionSection(const Game& g, const Villager& me) {
  Phase p = g.phase();
  bool playing = p != Phase::Lobby && p != Phase::Over;
  bool byDay = p == Phase::Day || p == Phase::Vote;
  std::string options;
  if (me.alive || p == Phase::Over) {
    if (!playing || byDay) {
      options += option("MSG", "発　言 [発言内容]");
      options += option("MSG2", "強く発言 [発言内容]");
      options += option("MSG3", "弱く発言 [発言内容]");
    }
    if (p == Phase::Night && !g.actedOn(me.no)) {
      if (me.role == Role::Wolf) options += option("KILL", "殺　る [行動対象]");
      if (me.role == Role::Seer) options += option("FORTUNE", "占　う [行動対象]");
      if (me.role == Role::Hunter && g.day() >= 2) options += option("GUARD", "護　衛 [行動対象]");
    }
    if (byDay && !g.votedFor(me.no)) options += option("VOTE", "投　票 [行動対象]");
    if (p == Phase::Day && !g.isSilent(me.no)) options += option("SILENT", "沈　黙");
  } else {
    options += option("MSG0", "霊　話 [発言内容]");
  }
  options += option("", "更　新");
  std::string out = bar("◆ 行動設定") + "<TR><TD>\n<TABLE cellpadding=\"0\" cellspacing=\"0\"><TR><TD>行動：</TD>";
  out += "<TD><SELECT name=\"COMMAND\">\n" + options + "</SELECT></TD><TD width=\"8\"></TD><TD>対象：</TD>";
  out += "<TD><SELECT name=\"CMBPLAYER\">\n";
  for (const Villager& v : g.villagers())
    if (v.alive && v.no != me.no) out += option(num(v.no), escape(v.name));
  out += "</SELECT></TD></TR></TABLE>\n";
  out += "<TABLE cellpadding=\"0\" cellspacing=\"0\"><TR><TD valign=\"top\">発言：</TD>"
         "<TD><TEXTAREA rows=\"3\" cols=\"70\" name=\"TXTMSG\"></TEXTAREA></TD></TR></TABLE>\n";
  return out + "<INPUT type=\"submit\" value=\"上の内容で行動\">\n</TD></TR>\n";
}

std::string ghostSection(const Game& g, bool all) {
  std::string rows;
  int shown = 0;
  // Newest first; while the game is on, only the latest twenty.
  for (int d = g.lastRecordedDay(); d >= 0 && (all || shown < 20); --d) {
    const auto& ghosts = g.record(d).ghosts;
    for (auto it = ghosts.rbegin(); it != ghosts.rend() && (all || shown < 20); ++it, ++shown) {
      const Villager* v = g.find(it->speaker);
      if (!v) continue;
      rows += "<TR><TD valign=\"top\" width=\"140\"><FONT color=\"" + v->color + "\">◆</FONT><b>" + escape(v->name) +
              "</b>さん</TD><TD>「" + escape(it->text) + "\n」</TD></TR>\n";
    }
  }
  return bar("◆ 幽霊の間") + "<TR><TD class=\"CLSTD02\">\n<TABLE cellpadding=\"0\">\n" + rows + "</TABLE>\n</TD></TR>\n";
}

}  // namespace

std::string villagePage(const Game& g, const Villager* me, uint64_t formId) {
  Phase p = g.phase();
  bool over = p == Phase::Over;
  bool playing = p != Phase::Lobby && !over;
  std::string out = villageHead(p == Phase::Night);
  out += "<TR><TD height=\"80\"><FONT size=\"+3\">";
  out += kTitle;
  out += "</FONT></TD></TR>\n";
  out += playerGrid(g, over || (me && playing && !me->alive));
  if (me && (playing || over)) out += myInfo(g, *me);
  out += eventsSection(g);
  if (me) out += actionSection(g, *me);
  if (over || (me && playing && !me->alive)) out += ghostSection(g, over);
  out += tailRow(me ? me->no : kSpectatorNo, g.villageNo(), formId);
  return out + "</TABLE></FORM></BODY>\n</HTML>\n";
}

std::string topPage() {
  return "<HTML>\n<HEAD>\n<META http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n"
         "<TITLE>「汝は人狼なりや？」と小一時間問い詰めたい。</TITLE>\n<BASE target=\"_top\">\n</HEAD>\n<BODY>\n"
         "<P><FONT size=\"+2\">月影村へようこそ</FONT></P>\n<UL>\n"
         "<LI><A href=\"cgi_jinro.cgi?entry\" target=\"_top\">村民登録</A>\n"
         "<LI><A href=\"cgi_jinro.cgi?room\" target=\"_top\">村へ行く</A>\n"
         "<LI><A href=\"index2.html\" target=\"_top\">村へ行く（名前と合言葉を入れたもの）</A>\n</UL>\n"
         "<P>※すでにゲームが始まっている場合、村民が22名いる場合は登録できません。</P>\n</BODY>\n</HTML>\n";
}

std::string entryPage(const Game& g) {
  bool open = g.phase() == Phase::Lobby && static_cast<int>(g.villagers().size()) < kMaxVillagers;
  std::string out = plainHead(true) + "<TR><TD>\n";
  if (!open) return out + "滞在可能な村がありませんでした。</TD></TR>\n" + plainFoot(true);
  auto row = [](std::string_view label, std::string_view input) {
    return "<TR><TD align=\"center\">" + std::string(label) + "</TD></TR>\n<TR><TD align=\"center\">" +
           std::string(input) + "</TD></TR>\n";
  };
  out += "<CENTER><TABLE border=\"1\" cellpadding=\"4\">\n";
  out += "<TR><TD align=\"center\"><B><FONT size=\"+2\">村民登録書</FONT></B></TD></TR>\n";
  out += row("村", "<SELECT name=\"VILLAGENO\">\n<OPTION value=\"" + num(g.villageNo()) + "\">" + kVillageName +
                       "村</OPTION>\n</SELECT>");
  out += row("ハンドル名（10文字まで）", "<INPUT size=\"20\" maxlength=\"10\" type=\"text\" name=\"TXTHN\">");
  std::string colors = "<SELECT name=\"CMBCOLOR\">\n";
  const char* const kColorNames[] = {"明灰", "暗灰", "黄", "橙", "赤", "水", "青", "緑", "紫", "桃"};
  for (int i = 0; i < 10; ++i) colors += option(num(i + 1), kColorNames[i]);
  out += row("表示色", colors + "</SELECT>");
  out += row("村での名前（10文字まで）", "<INPUT size=\"20\" maxlength=\"10\" type=\"text\" name=\"TXTNAME\">");
  out += row("プロフィール（40文字まで）", "<INPUT size=\"60\" maxlength=\"40\" type=\"text\" name=\"TXTPROFILE\">");
  out += row("パスワード（半角英数字4文字）", "<INPUT size=\"5\" type=\"password\" maxlength=\"4\" name=\"TXTPASS\">");
  out += row("メールアドレス", "<INPUT size=\"40\" type=\"text\" name=\"TXTMAIL\">");
  out += "<TR><TD align=\"center\"><INPUT type=\"submit\" value=\"登録する\"></TD></TR>\n</TABLE></CENTER>\n";
  out += hidden("TXTLOGIN", "1") + hidden("COMMAND", "ENTRY") + "\n</TD></TR>\n";
  return out + plainFoot(true);
}

std::string roomPage(const Game& g) {
  std::string out = plainHead(true) + "<TR><TD>\n<TABLE>\n";
  out += "<TR><TD>村</TD><TD><SELECT name=\"VILLAGENO\">\n<OPTION value=\"" + num(g.villageNo()) + "\">" +
         kVillageName + "村</OPTION>\n</SELECT></TD></TR>\n";
  out += "<TR><TD colspan=\"2\"><INPUT type=\"submit\" value=\"村に行く\"></TD></TR>\n</TABLE>\n";
  out += hidden("COMMAND", "ENTER") + "\n</TD></TR>\n";
  return out + plainFoot(true);
}

std::string loginPage(const Game& g, int presetNo, std::string_view presetPass) {
  std::string out = plainHead(true) + "<TR><TD>\n<TABLE>\n";
  out += "<TR><TD>村</TD><TD>" + std::string(kVillageName) + "村</TD></TR>\n";
  out += "<TR><TD>名前</TD><TD><SELECT name=\"CMBPLAYER\">\n";
  auto opt = [&](int value, std::string_view label) {
    return "<OPTION value=\"" + num(value) + "\"" + (value == presetNo && value ? " selected" : "") + ">" +
           std::string(label) + "</OPTION>\n";
  };
  out += opt(0, "旅　人（観戦）");
  for (const Villager& v : g.villagers()) out += opt(v.no, escape(v.name));
  out += opt(99, "管理者");
  out += "</SELECT></TD></TR>\n";
  out += "<TR><TD>パスワード</TD><TD><INPUT size=\"5\" type=\"password\" maxlength=\"4\" name=\"TXTPASS\" value=\"" +
         escape(presetPass) + "\"></TD></TR>\n";
  out += "<TR><TD colspan=\"2\"><INPUT type=\"submit\" value=\"村に行く\"></TD></TR>\n</TABLE>\n";
  out += hidden("TXTLOGIN", "1") + "\n" + hidden("COMMAND", "LOGIN") + "\n" + hidden("VILLAGENO", num(g.villageNo()));
  out += "\n</TD></TR>\n";
  return out + plainFoot(true);
}

std::string resultPage(const Game& g, std::string_view text, uint64_t formId) {
  return plainHead(true) + "<TR><TD>\n" + std::string(text) + "\n</TD></TR>\n" +
         tailRow(0, g.villageNo(), formId) + plainFoot(true);
}

std::string wrongEntrancePage() {
  return plainHead(true) + "<TR><TD align=\"center\">正しい入り口からどうぞ。</TD></TR>\n" + plainFoot(true);
}

std::string plainPage(std::string_view text) {
  return plainHead(false) + "<TR><TD align=\"center\">" + std::string(text) + "</TD></TR>\n" + plainFoot(false);
}

}  // namespace village::script2004
