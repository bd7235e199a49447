#pragma once
// Pages in our village's dialect (Shift_JIS): a game page of the twelfth day
// with two speeches and the login form, and the lobby on the day before the
// game.
#include <string>
#include <string_view>

#include "base/code_page.h"

namespace jinro::pages {

// A game page as the game writes it (Shift_JIS): the day's number, extra
// text, the speech table after "番地" and the login form.
inline std::string gamePage(bool night, std::string_view extra = "") {
  std::string h = "<html><head><title>テスト村 12日目</title><style>\n";
  h += night ? ".CLSTD01 { color: black; }\nbody { background-color: #000000; }\n"
             : ".CLSTD01 { color: white; }\nbody { background-color: black; }\n";
  h += "</style></head><body>\n<b>12</b>日目 の朝\n" + std::string(extra) +
       "\n<table><tr><td>12番地</td></tr></table>\n<table cellpadding=0>\n"
       "<tr><td width=160><font>◆</font>太郎</td><td>「one」</td></tr>\n"
       "<tr><td width=160><font>◆</font>花子</td><td>「two」</td></tr>\n"
       "<tr><td colspan=2>end</td></tr>\n</table>\n<form action=\"cgi_jinro.cgi\" method=\"post\">\n"
       "<input type=hidden name=TXTPNO value=3><input type=hidden name=TXTPASS value=pw>\n"
       "<input type=hidden name=VILLAGENO value=12><input type=hidden name=TXTLOGIN value=1>\n"
       "<input type=hidden name=FORMID value=f9><input type=submit value=\"行動/更新\">\n</form></body></html>\n";
  return utf8ToShiftJis(h);
}

inline std::string preDayPage(std::string_view counts) {
  return utf8ToShiftJis("<html><head><title>事件前日</title></head><body><form><input type=\"hidden\" name=\"TXTPNO\" value=\"3\">"
            "<input type=\"submit\" value=\"行動/更新\"></form><font size=\"+2\">事件前日</font>") +
         utf8ToShiftJis(counts) + "</body></html>";
}

inline const std::string kVote = "<font color=red>投票</font>を行ってください。";
inline const std::string kWolvesWin = "「<font>人　狼</font>」の勝利です！</font>";

}  // namespace jinro::pages
