#include "page/dialect.h"

#include <array>

#include "base/code_page.h"

namespace jinro {

namespace {

std::string sj(std::string_view utf8) { return utf8ToShiftJis(utf8); }

LobbyCount afterMarker(std::string marker, bool skipOneSpace) {
  LobbyCount count;
  count.kind = LobbyCount::Kind::afterMarker;
  count.marker = std::move(marker);
  count.skipOneSpace = skipOneSpace;
  return count;
}

DialectTable standardTable() {
  DialectTable d;
  d.id = Dialect::standard;
  d.gamePageMarkers = {sj("行動/更新"), sj("再表示")};
  d.actionMarker = sj("行動/更新");
  d.actionFields = "COMMAND=MSG&CMBPLAYER=&TXTMSG=&";
  d.loginControls = {"TXTPNO", "TXTPASS", "VILLAGENO", "TXTLOGIN", "FORMID"};
  d.capacity = afterMarker(sj("（定員："), false);
  d.living = afterMarker(sj("[生存中"), true);
  d.tableAnchor = sj("番地<");
  d.copyStart = {sj("番地<"), "cell", "160", sj(">◆<")};
  d.startSkip = 1;  // at the "◆" of the first speech
  d.copyEnd = {"<td colspan="};
  // Reversed, the footer row comes first: the copy runs to the ghosts' room
  // or the form's first control.
  d.copyEndReversed = {sj("◆ 幽霊の間"), "<input"};
  d.baseBeforeFirstCgi = true;
  // The log links of a finished game, twice; the role announcement's link.
  d.linkFixes = {
      LinkFix{"<A href=", "cgi_jinro.cgi?COMMAND=LOGVIEW", 2, true},
      LinkFix{sj("アナタの役割は「<A href="), "jinro_rule.html", 1, false},
  };
  return d;
}

// Every page of a village carries the villagers' grid; the log, newest
// first, stands under "◆ 出来事" and may hold a vote table of its own. The
// section headings are matched with their cell's markup, which no player's
// text can hold (the script escapes "<" and ">"): a name or a speech that
// says "◆ 出来事" moves nothing.
DialectTable script2004Table() {
  DialectTable d;
  d.id = Dialect::script2004;
  d.gamePageMarkers = {sj("◆ 村人たち</")};
  // The grid's heading follows the stylesheet and the title at the top of
  // every page.
  d.markersWithin = 16 * 1024;
  // The empty command is the form's own "更　新"; the password is never
  // sent again once logged in.
  d.actionFields = "COMMAND=&CMBPLAYER=&TXTMSG=&";
  d.loginControls = {"TXTPNO", "VILLAGENO", "TXTLOGIN", "FORMID"};
  // No capacity is written: a village takes 22, and each living villager's
  // cell says so.
  d.capacity.value = 22;  // LobbyCount::Kind::fixed
  d.living.kind = LobbyCount::Kind::cellsMarked;
  d.living.marker = sj("（生存中）</td>");
  d.ownTriggers = {
      {AlarmKind::sonmin, sj("「村　人」の勝利です！</font>")},
      {AlarmKind::jinro, sj("「人　狼」の勝利です！</font>")},
      {AlarmKind::yoko, sj("「妖　狐」の勝利です！</font>")},
      {AlarmKind::sonmintoroku, sj("<B><FONT size=\"+2\">村民登録書</FONT></B>")},
  };
  d.tableAnchor = sj("◆ 出来事</");
  d.copyStart = {d.tableAnchor, "<table"};
  d.copyEnd = {sj("◆ 行動設定</"), sj("◆ 幽霊の間</"), "<input"};
  d.copyEndReversed = d.copyEnd;
  d.endBackTo = "</table";
  // Its addresses are absolute as the server is set up; only a form that
  // names the script relatively needs the base.
  d.linkFixes = {LinkFix{"action=", "cgi_jinro.cgi", 1, false}};
  return d;
}

const DialectTable& standard() {
  static const DialectTable table = standardTable();
  return table;
}

const DialectTable& script2004() {
  static const DialectTable table = script2004Table();
  return table;
}

}  // namespace

std::string_view DialectTable::ownTrigger(AlarmKind kind) const {
  for (const auto& [k, text] : ownTriggers)
    if (k == kind) return text;
  return {};
}

const DialectTable& dialectTable(Dialect dialect) {
  return dialect == Dialect::script2004 ? script2004() : standard();
}

std::span<const DialectTable* const> candidateDialects(ServerKind choice) {
  // The 2004 script's marker is markup no speech can write; ours is a
  // button's label, which a speech on the 2004 script may quote.
  static const std::array<const DialectTable*, 2> all = {&script2004(), &standard()};
  static const std::array<const DialectTable*, 1> onlyStandard = {&standard()};
  static const std::array<const DialectTable*, 1> only2004 = {&script2004()};
  switch (choice) {
    case ServerKind::standard: return onlyStandard;
    case ServerKind::script2004: return only2004;
    case ServerKind::automatic: break;
  }
  return all;
}

const DialectTable& fallbackDialect(ServerKind choice) {
  return choice == ServerKind::script2004 ? script2004() : standard();
}

}  // namespace jinro
