#pragma once
// Pages in the 2004 script's dialect, built as that script lays them out
// (Shift_JIS): a day or night stylesheet, the villagers' grid, the clock line
// and the log newest first, the action form and the hidden login fields.
#include <string>
#include <vector>

#include "base/code_page.h"

namespace jinro::pages2004 {

struct Village {
  bool night = false;
  std::string clock = "<FONT size=\"+2\">2</FONT>日目 <IMG src=\"http://s/img/sun.gif\" border=\"0\"> "
                      "日没まであと <FONT size=\"+2\">12</FONT>時間<BR>";
  std::vector<std::string> log;  // rows of the log table, newest first
  int living = 8;
  bool actionForm = true;  // a spectator has none
  std::string playerNo = "1";
  std::string formId = "109805";
};

inline std::string speechRow(const std::string& name, const std::string& text) {
  return "<TR><TD valign=\"top\" width=\"140\"><FONT color=\"#DDDDDD\">◆</FONT><b>" + name +
         "</b>さん</TD><TD>「" + text + "\n」</TD></TR>";
}

inline std::string noticeRow(const std::string& html) {
  return "<TR><TD colspan=\"2\"><IMG src=\"http://s/img/msg.gif\" width=\"32\" height=\"32\" border=\"0\"> " + html +
         "</TD></TR>";
}

inline std::string page(const Village& v) {
  std::string h = "<HTML>\n<HEAD>\n<STYLE type=\"text/css\"><!--\nTABLE{ font-size : 11pt; }\n";
  h += v.night ? ".CLSTD01{ color : black; background-color : white; font-weight : bold; }\n"
               : ".CLSTD01{ color : white; background-color : black; font-weight : bold; }\n";
  h += ".CLSTD02{ background-color : #e3e3e3; }\n--></STYLE>\n<TITLE>「汝は人狼なりや？」スクリプト</TITLE>\n</HEAD>\n";
  h += v.night ? "<BODY bgcolor=\"#000000\" text=\"#ffffff\" link=\"#FF6600\" vlink=\"#FF6600\" alink=\"#FF6600\">\n"
               : "<BODY link=\"#FFCC00\" vlink=\"#FFCC00\" alink=\"#FFCC00\">\n";
  h += "<FORM action=\"http://s/jinro/cgi_jinro.cgi\" method=\"POST\">\n<TABLE width=\"700\" cellspacing=\"5\"><TBODY>\n";
  h += "<TR><TD height=\"80\"><FONT size=\"+3\">「汝は人狼なりや？」スクリプト</FONT></TD></TR>\n";
  h += "<TR><TD class=\"CLSTD01\">◆ 村人たち</TD></TR>\n<TR><TD><TABLE class=\"CLSTABLE\"><TBODY>\n<TR>";
  for (int i = 1; i <= v.living; ++i) h += "<TD>村人" + std::to_string(i) + "<BR>（生存中）</TD>\n";
  h += "</TR></TBODY></TABLE></TD></TR>\n";
  h += "<TR><TD class=\"CLSTD01\">◆ 出来事</TD></TR>\n<TR><TD>\n<FONT size=\"+2\">～ 月影村 ～</FONT><BR>" + v.clock +
       "<BR>\n<TABLE cellpadding=\"0\"><TBODY>";
  for (const std::string& row : v.log) h += row;
  h += "</TBODY></TABLE>\n</TD></TR>\n";
  if (v.actionForm) {
    h += "<TR><TD class=\"CLSTD01\">◆ 行動設定</TD></TR>\n<TR><TD>\n<TABLE cellpadding=\"0\" cellspacing=\"0\"><TBODY>"
         "<TR><TD>行動内容：</TD><TD><SELECT name=\"COMMAND\"><OPTION value=\"MSG\">発　言 [発言内容]</OPTION>\n"
         "<OPTION value=\"\">更　新</OPTION>\n</SELECT></TD><TD>行動対象：</TD><TD><SELECT name=\"CMBPLAYER\">"
         "<OPTION value=\"2\">村人2</OPTION>\n</SELECT></TD></TR></TBODY></TABLE><TABLE cellpadding=\"0\" "
         "cellspacing=\"0\"><TBODY><TR><TD valign=\"top\">発言内容：</TD><TD><TEXTAREA rows=\"3\" cols=\"70\" "
         "name=\"TXTMSG\"></TEXTAREA></TD>\n</TR></TBODY></TABLE><INPUT type=\"submit\" value=\"上の内容で行動\">\n"
         "</TD></TR>\n";
  }
  h += "</TD></TR>\n<TR><TD class=\"CLSTD01\"><A href=\"http://s/jinro/jinro_index.htm\">戻る</A>\n"
       "<INPUT type=\"hidden\" name=\"TXTPNO\" value=\"" + v.playerNo +
       "\"><INPUT type=\"hidden\" name=\"VILLAGENO\" value=\"1\"><INPUT type=\"hidden\" name=\"TXTLOGIN\" "
       "value=\"2\"><INPUT type=\"hidden\" name=\"FORMID\" value=\"" + v.formId + "\"></TD></TR>\n"
       "</TBODY></TABLE></FORM></BODY>\n</HTML>\n";
  return utf8ToShiftJis(h);
}

// A page of the script that is not a village's: a title, a message, no
// stylesheet.
inline std::string message(const std::string& html) {
  return utf8ToShiftJis("<HTML>\n<HEAD>\n<TITLE>「汝は人狼なりや？」スクリプト</TITLE>\n</HEAD>\n<BODY>\n"
                        "<FORM action=\"http://s/jinro/cgi_jinro.cgi\" method=\"POST\">\n<TABLE width=\"700\" "
                        "cellspacing=\"5\"><TBODY>\n" + html + "\n</TBODY></TABLE></FORM></BODY>\n</HTML>\n");
}

}  // namespace jinro::pages2004
