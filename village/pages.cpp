#include "pages.h"

#include "text.h"

namespace village {
namespace {

std::string num(long long n) { return std::to_string(n); }

std::string titleOf(const Game& g) { return "人狼の村 第" + num(g.villageNo()) + "村"; }

// A speech as it stands in its cell: escaped, line breaks as <br>, in 「」.
std::string speechHtml(std::string_view text) {
  std::string escaped = escapeHtml(text);
  std::string out = "「";
  for (char c : escaped) {
    if (c == '\n')
      out += "<br>";
    else
      out.push_back(c);
  }
  out += "」";
  return out;
}

const char* victoryText(Winner w) {
  switch (w) {
    case Winner::Village:
      return "<font size=\"+2\" color=\"#ff6633\">「村　人」の勝利です！</font>";
    case Winner::Wolves:
      return "<font size=\"+2\">「<font color=\"#ff3333\">人　狼</font>」の勝利です！</font>";
    case Winner::Fox:
      return "<font size=\"+2\">「<font color=\"#cc66ff\">妖　狐</font>」の勝利です！</font>";
    case Winner::Cat:
      return "<font size=\"+2\">「<font color=\"#66cc66\">猫　又</font>」の勝利です！</font>";
    case Winner::Draw:
      return "<font size=\"+2\" color=\"#ffcc00\">「引き分け」です！</font>";
    case Winner::None:
      break;
  }
  return "";
}

std::string speechRows(const Game& g, const std::vector<Speech>& list) {
  std::string out;
  for (const Speech& s : list) {
    const Villager* v = g.find(s.speaker);
    if (!v) continue;
    out += speechRow(v->color, escapeHtml(v->name), speechHtml(s.text));
  }
  return out;
}

// The day's header row: the day number in its own element before "日目", or
// the day before the game; the capacity and the living count.
std::string header(const Game& g, int day, bool night, const PageOptions& opt) {
  std::string out = "<table border=\"0\" cellpadding=\"4\" width=\"100%\"><tr>\n<td class=\"CLSTD01\">";
  if (day == 0) {
    out += "<b>事件前日</b> <font size=\"-1\">(村民募集中)</font>";
  } else {
    out += "<font size=\"+2\">" + num(day) + "</font>日目 <font size=\"-1\">";
    out += g.phase() == Phase::Over ? "(決着)" : night ? "(夜)" : g.phase() == Phase::Vote ? "(昼・投票)" : "(昼)";
    out += "</font>";
  }
  out += "</td>\n<td class=\"CLSTD01\" align=\"right\">（定員：" + num(g.capacity()) + "人） [生存中";
  if (day == 0 && opt.spaceBeforeLiving) out += " ";
  if (day != 0) out += " ";
  out += num(g.living()) + "人]</td>\n</tr></table>\n";
  return out;
}

std::string villagerList(const Game& g, bool reveal) {
  std::string out = "<p class=\"CLSTD02\">";
  for (const Villager& v : g.villagers()) {
    out += "<font color=\"" + v.color + "\">◆</font>" + escapeHtml(v.name);
    out += v.alive ? "(生存" : "(死亡";
    if (reveal) out += std::string("・") + roleName(v.role);
    out += ") ";
  }
  out += "</p>\n";
  return out;
}

std::string hidden(std::string_view name, std::string_view value) {
  return "<input type=\"hidden\" name=\"" + std::string(name) + "\" value=\"" + escapeHtml(value) + "\">\n";
}

std::string logLinks(const Game& g) {
  std::string out = "<p class=\"CLSTD02\">過去の記録：";
  for (int d = 0; d <= g.lastRecordedDay(); ++d) {
    out += " <A href=\"cgi_jinro.cgi?COMMAND=LOGVIEW&VILLAGENO=" + num(g.villageNo()) + "&DAY=" + num(d) + "\">";
    // Not the bare day-before text between tags: that marks the lobby page.
    out += d == 0 ? std::string("事件前日の記録") : num(d) + "日目の記録";
    out += "</A>";
  }
  out += "</p>\n";
  return out;
}

std::string tail() { return "</body>\n</html>\n"; }

// Earlier speeches of the villagers, enough rows to bring a page of
// pageBytes (in Shift_JIS) to about target bytes.
std::string paddingRows(const Game& g, size_t pageBytes, size_t target) {
  std::string out;
  const auto& villagers = g.villagers();
  if (villagers.empty()) return out;
  for (long long i = 1; pageBytes < target; ++i) {
    const Villager& v = villagers[size_t(i) % villagers.size()];
    std::string row = speechRow(v.color, escapeHtml(v.name),
                                "「これまでの話し合いの記録、" + num(i) + " 番目の発言です。誰が人狼なのでしょうか。」");
    pageBytes += encodePage(row, Encoding::ShiftJis).size();
    out += row;
  }
  return out;
}

}  // namespace

std::string pageHead(std::string_view title, bool night, const PageOptions& opt) {
  std::string out = "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
  out += opt.charset;
  out += "\">\n<title>";
  out += title;
  out += "</title>\n<style type=\"text/css\">\n<!--\n";
  // The .CLSTD01 rule comes first: white on black by day, black on white at night.
  out += night ? ".CLSTD01 { color: black; background-color: white }\n"
               : ".CLSTD01 { color: white; background-color: black }\n";
  out += ".CLSTD02 { font-size: 90% }\nbody { margin: 8px }\n-->\n</style>\n</head>\n";
  out += night ? "<body bgcolor=\"#ffffff\" text=\"#000000\" link=\"#0033cc\" vlink=\"#0033cc\">\n"
               : "<body bgcolor=\"#000000\" text=\"#ffffff\" link=\"#ffcc66\" vlink=\"#ffcc66\">\n";
  return out;
}

std::string speechTableStart(int villageNo) {
  return "<table border=\"0\" cellpadding=\"2\" width=\"100%\"><tr><td class=\"CLSTD01\"><b>人狼の村 " +
         num(villageNo) + "番地</b></td></tr></table>\n<table border=\"0\" cellspacing=\"1\" cellpadding=\"3\" width=\"100%\">\n";
}

std::string speechRow(std::string_view color, std::string_view name, std::string_view textHtml) {
  std::string out = "<tr><td width=\"160\" class=\"CLSTD01\"><font color=\"";
  out += color;
  out += "\">◆</font>";
  out += name;
  out += "</td><td class=\"CLSTD01\">";
  out += textHtml;
  out += "</td></tr>\n";
  return out;
}

std::string speechTableEnd(std::string_view footer) {
  return "<tr><td colspan=\"2\" class=\"CLSTD02\">" + std::string(footer) + "</td></tr>\n</table>\n";
}

std::string gamePage(const Game& g, const Villager* me, uint64_t formId, const PageOptions& opt) {
  Phase phase = g.phase();
  bool night = phase == Phase::Night;
  int day = g.day();
  const DayRecord& rec = g.record(day);
  bool over = phase == Phase::Over;
  std::string out = pageHead(titleOf(g), night, opt);
  out += "<form action=\"cgi_jinro.cgi\" method=\"POST\">\n";
  // The login fields come before anything a villager wrote, so that their
  // names are found here first, whatever was said or registered.
  out += hidden("TXTPNO", me ? num(me->no) : "");
  out += hidden("TXTPASS", me ? me->pass : "");
  out += hidden("VILLAGENO", num(g.villageNo()));
  out += hidden("TXTLOGIN", me ? "1" : "0");
  out += hidden("FORMID", num(static_cast<long long>(formId)));
  out += header(g, day, night, opt);
  for (const std::string& n : rec.notices) out += "<p class=\"CLSTD02\">" + escapeHtml(n) + "</p>\n";
  if (over) out += std::string("<p>") + victoryText(g.winner()) + "</p>\n";
  if (me && phase != Phase::Lobby) {
    out += "<p>アナタの役割は「<A href=\"jinro_rule.html\">" + std::string(roleName(me->role)) + "</A>」です。";
    if (!me->alive) out += " アナタは死亡しています。";
    out += "</p>\n";
    auto secret = rec.secrets.find(me->no);
    if (secret != rec.secrets.end()) out += "<p>占いの結果：" + escapeHtml(secret->second) + "</p>\n";
  }
  bool canVote = me && me->alive && phase == Phase::Vote;
  bool canAct = me && me->alive && night && hasNightAction(me->role);
  if (canVote) {
    if (int t = g.votedFor(me->no))
      out += "<p>" + escapeHtml(g.find(t)->name) + "に投票しました。</p>\n";
    else
      out += "<p><FONT color=\"#ff6666\">投票</FONT>を行ってください。</p>\n";
  }
  if (canAct) {
    if (int t = g.actedOn(me->no))
      out += "<p>" + escapeHtml(g.find(t)->name) + "を能力の対象に決めました。</p>\n";
    else
      out += "<p><FONT color=\"#ff6666\">能力対象</FONT>を決定してください。</p>\n";
  }
  if (me) {
    out += "<table border=\"0\" cellpadding=\"2\"><tr><td>\n<select name=\"COMMAND\">\n"
           "<option value=\"MSG\" selected>発言</option>\n";
    if (canVote) out += "<option value=\"VOTE\">投票</option>\n";
    if (canAct) out += "<option value=\"ACTION\">能力</option>\n";
    out += "</select>\n<select name=\"CMBPLAYER\">\n<option value=\"\">(対象)</option>\n";
    for (const Villager& v : g.villagers())
      if (v.alive && v.no != me->no) out += "<option value=\"" + num(v.no) + "\">" + escapeHtml(v.name) + "</option>\n";
    out += "</select>\n<input type=\"submit\" value=\"行動/更新\">\n</td></tr>\n"
           "<tr><td><textarea name=\"TXTMSG\" rows=\"3\" cols=\"60\"></textarea></td></tr></table>\n";
  } else {
    out += "<p><input type=\"submit\" value=\"再表示\"></p>\n";
  }
  out += villagerList(g, over);
  out += speechTableStart(g.villageNo());
  const size_t padAt = out.size();
  out += speechRows(g, rec.speeches);
  out += speechTableEnd("発言数：" + num(static_cast<long long>(rec.speeches.size())));
  if (over || (me && !me->alive)) {
    out += "<p class=\"CLSTD02\">◆ 幽霊の間</p>\n<table border=\"0\" cellspacing=\"1\" cellpadding=\"3\" width=\"100%\">\n";
    out += speechRows(g, rec.ghosts);
    out += "</table>\n";
  }
  out += me ? "<p><input type=\"submit\" value=\"行動/更新\"></p>\n" : "<p><input type=\"submit\" value=\"再表示\"></p>\n";
  out += "</form>\n";
  if (over) out += logLinks(g);
  out += "<p class=\"CLSTD02\"><a href=\"./index2.html\">入口へ戻る</a> | <a href=\"./jinro_rule.html\">ルール</a></p>\n";
  out += tail();
  if (opt.padToBytes > 0)
    out.insert(padAt, paddingRows(g, encodePage(out, Encoding::ShiftJis).size(), opt.padToBytes));
  return out;
}

std::string logPage(const Game& g, int day, const PageOptions& opt) {
  const DayRecord& rec = g.record(day);
  std::string title = titleOf(g) + (day == 0 ? std::string(" 事件前日の記録") : " " + num(day) + "日目の記録");
  std::string out = pageHead(title, false, opt);
  out += "<table border=\"0\" cellpadding=\"4\" width=\"100%\"><tr><td class=\"CLSTD01\">";
  out += day == 0 ? std::string("<b>事件前日</b>") : "<font size=\"+2\">" + num(day) + "</font>日目";
  out += "</td></tr></table>\n";
  for (const std::string& n : rec.notices) out += "<p class=\"CLSTD02\">" + escapeHtml(n) + "</p>\n";
  out += speechTableStart(g.villageNo());
  out += speechRows(g, rec.speeches);
  out += speechTableEnd("発言数：" + num(static_cast<long long>(rec.speeches.size())));
  out += "<p class=\"CLSTD02\">◆ 幽霊の間</p>\n<table border=\"0\" cellspacing=\"1\" cellpadding=\"3\" width=\"100%\">\n";
  out += speechRows(g, rec.ghosts);
  out += "</table>\n";
  out += "<p class=\"CLSTD02\"><a href=\"./index2.html\">入口へ戻る</a></p>\n";
  return out + tail();
}

std::string registrationPage(const Game& g, std::string_view notice, const PageOptions& opt) {
  std::string out = pageHead(titleOf(g) + " 村民登録", false, opt);
  out += "<p><B>村民登録書</B></p>\n";
  if (!notice.empty()) out += "<p>" + escapeHtml(notice) + "</p>\n";
  out += "<p>（定員：" + num(g.capacity()) + "人） 登録済み " + num(static_cast<long long>(g.villagers().size())) +
         "人</p>\n";
  out += "<form action=\"cgi_jinro.cgi\" method=\"POST\">\n";
  out += hidden("COMMAND", "REGIST");
  out += hidden("VILLAGENO", num(g.villageNo()));
  out += "<p>名前 <input type=\"text\" name=\"TXTNAME\" size=\"20\"></p>\n"
         "<p>パスワード <input type=\"password\" name=\"TXTPASS\" size=\"20\"></p>\n"
         "<p><input type=\"submit\" value=\"登録する\"></p>\n</form>\n"
         "<p><a href=\"./index2.html\">入口へ戻る</a></p>\n";
  return out + tail();
}

std::string entryPage(const Game& g, int presetNo, std::string_view presetPass, const PageOptions& opt) {
  std::string out = pageHead("人狼の村 入口", false, opt);
  out += "<h2>人狼の村へようこそ</h2>\n";
  out += "<p>第" + num(g.villageNo()) + "村 （定員：" + num(g.capacity()) + "人） [生存中 " + num(g.living()) +
         "人]</p>\n";
  out += "<form action=\"cgi_jinro.cgi\" method=\"POST\">\n" + hidden("COMMAND", "LOGIN");
  out += "<p>村番号 <input type=\"text\" name=\"VILLAGENO\" size=\"6\" value=\"" + num(g.villageNo()) + "\">\n";
  out += "番地 <input type=\"text\" name=\"TXTPNO\" size=\"4\" value=\"" + (presetNo ? num(presetNo) : "") + "\">\n";
  out += "パスワード <input type=\"password\" name=\"TXTPASS\" size=\"12\" value=\"" + escapeHtml(presetPass) +
         "\">\n<input type=\"submit\" value=\"ログイン\"></p>\n</form>\n";
  out += "<p><a href=\"cgi_jinro.cgi?COMMAND=ENTRY&VILLAGENO=" + num(g.villageNo()) + "\">村民登録</a> | ";
  out += "<a href=\"cgi_jinro.cgi?COMMAND=VIEW&VILLAGENO=" + num(g.villageNo()) + "\">観戦する</a> | ";
  out += "<a href=\"./jinro_rule.html\">ルール</a></p>\n";
  return out + tail();
}

std::string framesetPage(const PageOptions& opt) {
  std::string out = "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
  out += opt.charset;
  out += "\">\n<title>人狼の村</title>\n</head>\n<frameset cols=\"200,*\">\n"
         "<frame src=\"index.html\" name=\"menu\">\n<frame src=\"index2.html\" name=\"main\">\n"
         "<noframes><body><a href=\"index2.html\">入口</a></body></noframes>\n</frameset>\n</html>\n";
  return out;
}

std::string indexPage(const PageOptions& opt) {
  std::string out = pageHead("人狼の村 目次", false, opt);
  out += "<h3>人狼の村</h3>\n<ul>\n<li><a href=\"./index2.html\" target=\"_top\">村の入口</a></li>\n"
         "<li><a href=\"./jinro_rule.html\" target=\"_top\">ルール</a></li>\n</ul>\n";
  return out + tail();
}

std::string rulesPage(const PageOptions& opt) {
  std::string out = pageHead("人狼の村 ルール", false, opt);
  out += "<h3>ルール</h3>\n<p>村人の中に人狼が紛れ込んでいます。昼は話し合いと投票で一人を処刑し、"
         "夜は人狼が一人を襲います。人狼が全滅すれば村人の勝利、人狼が村人と同数になれば人狼の勝利です。</p>\n"
         "<dl>\n<dt>村人</dt><dd>能力はありません。</dd>\n<dt>人狼</dt><dd>夜に一人を襲います。</dd>\n"
         "<dt>占い師</dt><dd>夜に一人を占い、人狼かどうかを知ります。</dd>\n<dt>霊能者</dt><dd>処刑された者の正体を知ります。</dd>\n"
         "<dt>狩人</dt><dd>夜に一人を人狼から守ります。</dd>\n<dt>狂人</dt><dd>人狼の味方をする人間です。</dd>\n"
         "<dt>妖狐</dt><dd>人狼に襲われても死なず、占われると死にます。生き残れば妖狐の勝利です。</dd>\n"
         "<dt>猫又</dt><dd>処刑されると道連れを一人選びます。</dd>\n</dl>\n"
         "<p><a href=\"./index2.html\">入口へ戻る</a></p>\n";
  return out + tail();
}

std::string errorPage(std::string_view message, const PageOptions& opt) {
  std::string out = pageHead("人狼の村 エラー", false, opt);
  out += "<h3>エラー</h3>\n<p>" + escapeHtml(message) + "</p>\n<p><a href=\"./index2.html\">入口へ戻る</a></p>\n";
  return out + tail();
}

}  // namespace village
