#pragma once
// Game pages for the benchmarks: Shift_JIS HTML written the way the game
// writes its day and night pages, with the markers the client looks for (the
// title, the ".CLSTD01" style rule, the "番地" cell before the speech table,
// one row per speech with the speaker's "◆" in a cell of width 160, the
// closing "<td colspan=" row, the role announcement, the hidden login inputs,
// the "行動/更新" or "再表示" button, relative "./" links and, once the game is
// over, the log links). Deterministic for a given seed; any size.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace jinro::fixtures {

struct PageShape {
  size_t bytes = 500000;        // exact page size; a smaller value gives the page as its rows make it
  int rows = 1000;              // speech rows in the speech table
  bool night = false;           // the night style (black on white) instead of the day's
  bool gameOver = false;        // log links of the finished game's days
  bool spectator = false;       // "再表示" instead of "行動/更新"
  int day = 3;                  // the day shown, 1 to 9
  int relativeLinksPerRow = 2;  // "./" links in each speech row
  uint32_t seed = 1;
};

namespace text {
// "日目"
inline constexpr std::string_view kDayWord = "\x93\xFA\x96\xDA";
// "行動/更新"
inline constexpr std::string_view kAction = "\x8Ds\x93\xAE/\x8DX\x90V";
// "再表示"
inline constexpr std::string_view kRedisplay = "\x8D\xC4\x95\x5C\x8E\xA6";
// "番地"
inline constexpr std::string_view kAddress = "\x94\xD4\x92n";
// "◆"
inline constexpr std::string_view kDiamond = "\x81\x9F";
// "◆ 幽霊の間"
inline constexpr std::string_view kGhostRoom = "\x81\x9F \x97H\x97\xEC\x82\xCC\x8A\xD4";
// "アナタの役割は「"
inline constexpr std::string_view kRoleIntro = "\x83" "A\x83i\x83^\x82\xCC\x96\xF0\x8A\x84\x82\xCD\x81u";
// "村人"
inline constexpr std::string_view kVillager = "\x91\xBA\x90l";
// "さん"
inline constexpr std::string_view kSan = "\x82\xB3\x82\xF1";
// "「", "」"
inline constexpr std::string_view kOpen = "\x81u";
inline constexpr std::string_view kClose = "\x81v";
// "」です。"
inline constexpr std::string_view kRoleEnd = "\x81v\x82\xC5\x82\xB7\x81" "B";
// "[生存中"
inline constexpr std::string_view kLiving = "[\x90\xB6\x91\xB6\x92\x86";
// "人"
inline constexpr std::string_view kPerson = "\x90l";
// "「Moonvale」Thornfield"
inline constexpr std::string_view kVillageTitle = "\x81uMoonvale\x81vThornfield";
// "（昼）", "（夜）"
inline constexpr std::string_view kNoon = "\x81i\x92\x8B\x81j";
inline constexpr std::string_view kNight = "\x81i\x96\xE9\x81j";

// Speech fragments; several hold second bytes that are ASCII letters ("ア" is
// 83 41), which a search must not fold.
inline constexpr std::string_view kPhrases[] = {
    "\x82\xA8\x82\xCD\x82\xE6\x82\xA4\x82\xB2\x82\xB4\x82\xA2\x82\xDC\x82\xB7\x81" "B",  // おはようございます。
    "\x8D\xA1\x93\xFA\x82\xCD\x82\xA2\x82\xA2\x93V\x8B" "C\x82\xC5\x82\xB7\x82\xCB\x81" "B",  // 今日はいい天気ですね。
    "\x90\xE8\x82\xA2\x8Et\x82\xB3\x82\xF1\x81" "A\x8C\x8B\x89\xCA\x82\xF0\x82\xA8\x8A\xE8\x82\xA2\x82\xB5\x82\xDC"
    "\x82\xB7\x81" "B",  // 占い師さん、結果をお願いします。
    "\x8E\x84\x82\xCD\x91\xBA\x90l\x82\xC5\x82\xB7\x81" "B\x90M\x82\xB6\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2"
    "\x81" "B",  // 私は村人です。信じてください。
    "\x8D\xF0\x93\xFA\x82\xCC\x93\x8A\x95[\x82\xCD\x89\xF6\x82\xB5\x82\xA9\x82\xC1\x82\xBD\x82\xC6\x8Ev\x82\xA4"
    "\x81" "B",  // 昨日の投票は怪しかったと思う。
    "\x90l\x98T\x82\xCD\x92N\x82\xBE\x82\xEB\x82\xA4\x81H",  // 人狼は誰だろう？
    "\x82`\x82" "a\x82" "b\x91S\x8Ap",                        // ＡＢＣ全角
    "\xB1\xB2\xB3\xB4\xB5\x94\xBC\x8Ap\x83J\x83i",          // ｱｲｳｴｵ半角カナ
    "\x83" "A\x83" "a\x83" "A",                              // アヂア
    "Good morning, everyone. ",
    "&lt;wolf&gt; &amp; friends ",
};
// 太郎, 花子, 次郎, さくら, ゆうき, まこと, けん
inline constexpr std::string_view kNames[] = {
    "\x91\xBE\x98Y", "\x89\xD4\x8Eq", "\x8E\x9F\x98Y", "\x82\xB3\x82\xAD\x82\xE7",
    "\x82\xE4\x82\xA4\x82\xAB", "\x82\xDC\x82\xB1\x82\xC6", "\x82\xAF\x82\xF1",
};
inline constexpr std::string_view kColours[] = {"#FF0000", "#0066FF", "#00AA00", "#FF9900",
                                                "#9900CC", "#663300", "#FF66CC"};
}  // namespace text

namespace detail {

struct Rng {
  uint64_t s;
  uint32_t next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<uint32_t>(s >> 16);
  }
  size_t below(size_t n) { return n ? next() % n : 0; }
};

// Appends speech text until `budget` bytes are used (never splitting a
// character: what is left over is made up with spaces).
inline void appendSpeech(std::string& out, size_t budget, Rng& rng) {
  const size_t start = out.size();
  for (;;) {
    std::string_view piece = text::kPhrases[rng.below(std::size(text::kPhrases))];
    const bool lineBreak = rng.below(6) == 0;
    const size_t need = piece.size() + (lineBreak ? 4 : 0);
    if (out.size() - start + need > budget) break;
    out.append(piece);
    if (lineBreak) out.append("<br>");
  }
  out.append(budget - (out.size() - start), ' ');
}

inline void appendRow(std::string& out, int index, const PageShape& shape, size_t speechBytes) {
  // Each row draws from its own generator, so a row's speaker does not depend
  // on how long the speeches are.
  uint64_t z = (uint64_t{shape.seed} << 32 | static_cast<uint32_t>(index)) + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  Rng rng{(z ^ (z >> 31)) | 1};
  const size_t who = rng.below(std::size(text::kNames));
  out.append("<tr><td valign=\"top\" width=\"160\">");
  if (shape.relativeLinksPerRow > 0)
    out.append("<img src=\"./img/face0").append(std::to_string(who + 1)).append(".gif\" width=\"32\" height=\"32\">");
  out.append("<font color=\"").append(text::kColours[who]).append("\">").append(text::kDiamond).append("</font>");
  out.append("<b>").append(text::kNames[who]).append("</b>").append(text::kSan).append("</td>");
  out.append("<td>").append(text::kOpen);
  appendSpeech(out, speechBytes, rng);
  out.append(text::kClose);
  for (int k = 1; k < shape.relativeLinksPerRow; ++k)
    out.append(" <a href=\"./log/").append(std::to_string(index)).append(".html\">#</a>");
  out.append("</td></tr>\n");
}

inline std::string build(const PageShape& shape, size_t speechBytes, size_t tailPadding) {
  const int day = shape.day < 1 ? 1 : (shape.day > 9 ? 9 : shape.day);
  std::string out;
  out.reserve(shape.bytes + 4096);
  out.append("<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n");
  out.append("<title>").append(text::kVillageTitle).append(" 12").append(text::kAddress).append(" ");
  out.append(std::to_string(day)).append(text::kDayWord).append("</title>\n");
  out.append("<style type=\"text/css\">\n<!--\n");
  out.append(shape.night ? ".CLSTD01 { color: black; background-color: white; }\n"
                         : ".CLSTD01 { color: white; background-color: black; }\n");
  out.append(".CLSTD02 { font-size: 10pt; }\n-->\n</style>\n</head>\n");
  out.append("<body class=\"CLSTD01\">\n<form action=\"cgi_jinro.cgi\" method=\"POST\">\n");
  out.append("<table border=\"0\" width=\"100%\"><tr><td><img src=\"./img/title.gif\" alt=\"\"></td></tr></table>\n");
  out.append("<table class=\"CLSTD02\"><tr><td><font size=\"+2\">").append(std::to_string(day));
  out.append("</font>").append(text::kDayWord).append(" <font size=\"-1\">");
  out.append(shape.night ? text::kNight : text::kNoon).append("</font></td>");
  out.append("<td>").append(text::kLiving).append(" 12").append(text::kPerson).append("]</td>");
  out.append("<td>12").append(text::kAddress).append("</td></tr></table>\n");
  // The speech table.
  out.append("<table border=\"0\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">\n");
  for (int k = 0; k < shape.rows; ++k) appendRow(out, k, shape, speechBytes);
  out.append("<tr><td colspan=\"2\" align=\"right\"><a href=\"#top\">^</a></td></tr>\n</table>\n");
  // The player's part.
  out.append("<table><tr><td>").append(text::kRoleIntro).append("<A href=\"jinro_rule.html\">");
  out.append(text::kVillager).append("</A>").append(text::kRoleEnd).append("</td></tr></table>\n");
  out.append("<table><tr><td>").append(text::kGhostRoom).append("</td></tr></table>\n");
  out.append("<input type=\"hidden\" name=\"TXTPNO\" value=\"5\">\n");
  out.append("<input type=\"hidden\" name=\"TXTPASS\" value=\"moon\">\n");
  out.append("<input type=\"hidden\" name=\"VILLAGENO\" value=\"12\">\n");
  out.append("<input type=\"hidden\" name=\"TXTLOGIN\" value=\"2\">\n");
  out.append("<input type=\"hidden\" name=\"FORMID\" value=\"").append(std::to_string(10000 + shape.seed % 90000));
  out.append("\">\n<input type=\"hidden\" name=\"COMMAND\" value=\"MSG\">\n<select name=\"CMBPLAYER\">");
  for (size_t k = 0; k < std::size(text::kNames); ++k)
    out.append("<option value=\"").append(std::to_string(k + 1)).append("\">").append(text::kNames[k]).append("</option>");
  out.append("</select>\n<input type=\"text\" name=\"TXTMSG\" size=\"60\">\n");
  out.append("<input type=\"submit\" value=\"").append(shape.spectator ? text::kRedisplay : text::kAction);
  out.append("\">\n</form>\n");
  if (shape.gameOver) {
    for (int d = 1; d <= day; ++d)
      out.append("<A href=\"cgi_jinro.cgi?COMMAND=LOGVIEW&VILLAGENO=12&DAY=").append(std::to_string(d))
          .append("\">").append(std::to_string(d)).append(text::kDayWord).append("</A>\n");
  }
  out.append("<p><a href=\"./index2.html\">top</a></p>\n");
  out.append(tailPadding, ' ');
  out.append("</body>\n</html>\n");
  return out;
}

}  // namespace detail

// A game page of the given shape, exactly shape.bytes long when the rows fit.
inline std::string gamePage(const PageShape& shape) {
  const std::string bare = detail::build(shape, 0, 0);
  if (shape.bytes <= bare.size()) return bare;
  const size_t extra = shape.bytes - bare.size();
  const size_t perRow = shape.rows > 0 ? extra / static_cast<size_t>(shape.rows) : 0;
  const std::string page = detail::build(shape, perRow, 0);
  return detail::build(shape, perRow, shape.bytes - page.size());
}

inline std::string dayPage(size_t bytes, int rows, uint32_t seed = 1) {
  PageShape s;
  s.bytes = bytes;
  s.rows = rows;
  s.seed = seed;
  return gamePage(s);
}

inline std::string nightPage(size_t bytes, int rows, uint32_t seed = 1) {
  PageShape s;
  s.bytes = bytes;
  s.rows = rows;
  s.night = true;
  s.seed = seed;
  return gamePage(s);
}

}  // namespace jinro::fixtures
