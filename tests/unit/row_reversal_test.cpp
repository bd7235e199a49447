#include "page/row_reversal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../../bench/page_fixtures.h"
#include "jinro/server_base_url.h"
#include "page/row_reversal_impl.h"
#include "reference/case_count.h"
#include "reference/row_reversal_reference.h"
#include "reference/text_scan_reference.h"

namespace jinro {
namespace {

const std::string kBase = kServerBaseUrl;
const std::string kAction = "\x8D\x73\x93\xAE/\x8D\x58\x90\x56";  // 行動/更新
const std::string kRedisplay = "\x8D\xC4\x95\x5C\x8E\xA6";        // 再表示
const std::string kAnchor = "\x94\xD4\x92\x6E<";                  // 番地<
const std::string kRoleIntro =                                    // アナタの役割は「
    "\x83\x41\x83\x69\x83\x5E\x82\xCC\x96\xF0\x8A\x84\x82\xCD\x81\x75";

// A game page around a speech table: head, the table's rows, tail.
std::string page(const std::string& rows, const std::string& tail = "</table>\n<p>end</p>",
                 const std::string& button = kAction) {
  return "<html><title>t</title><table><tr><td>12" + kAnchor + "/td></tr></table>\n<table border=0>\n" + rows +
         tail + "<input type=submit value=\"" + button + "\">";
}

std::string head() { return "<html><title>t</title><table><tr><td>12" + kAnchor + "/td></tr></table>\n<table border=0>\n"; }

// The rewrite must leave the text alone whenever it gives 0.
size_t rewrite(std::string& text, bool gameOver = false) {
  const std::string before = text;
  const size_t n = reverseRowsAndFixLinks(text, gameOver);
  if (n == 0) {
    EXPECT_EQ(text, before);
  } else {
    EXPECT_EQ(n, text.size());
  }
  return n;
}

TEST(RowReversal, ThreeRowsComeOutLastFirst) {
  std::string text = page("<tr><td>1</td></tr>\n<tr><td>2</td></tr>\n<tr><td>3</td></tr>\n");
  ASSERT_GT(rewrite(text), 0u);
  // Bytes between rows and before "</table" are dropped; the rest stays.
  EXPECT_EQ(text, head() + "<tr><td>3</td></tr><tr><td>2</td></tr><tr><td>1</td></tr></table>\n<p>end</p>" +
                      "<input type=submit value=\"" + kAction + "\">");
  // The spectator's button is enough.
  std::string spectator = page("<tr>a</tr><tr>b</tr>", "</table>", kRedisplay);
  ASSERT_GT(rewrite(spectator), 0u);
  EXPECT_NE(spectator.find("<tr>b</tr><tr>a</tr></table>"), std::string::npos);
}

TEST(RowReversal, NestedTablesMoveWithTheirRow) {
  const std::string inner = "<tr><td><table><tr><td>x</td></tr><tr><td>y</td></tr></table></td></tr>";
  std::string text = page("<tr><td>1</td></tr>" + inner + "<tr><td>3</td></tr>");
  ASSERT_GT(rewrite(text), 0u);
  EXPECT_NE(text.find("<tr><td>3</td></tr>" + inner + "<tr><td>1</td></tr></table>"), std::string::npos);
}

TEST(RowReversal, TagsAreFoundInAnyCase) {
  std::string text = page("<TR><td>1</td></TR><Tr><td>2</td></tR>", "</TABLE>");
  ASSERT_GT(rewrite(text), 0u);
  EXPECT_NE(text.find("<Tr><td>2</td></tR><TR><td>1</td></TR></TABLE>"), std::string::npos);
}

TEST(RowReversal, MissingMarkersLeaveTheTextAlone) {
  const std::string rows = "<tr>a</tr><tr>b</tr>";
  std::string noButton = page(rows, "</table>", "OK");
  EXPECT_EQ(rewrite(noButton), 0u);
  std::string noAnchor = page(rows);
  noAnchor.replace(noAnchor.find(kAnchor), kAnchor.size(), "<");
  EXPECT_EQ(rewrite(noAnchor), 0u);
  std::string noTable = kAction + kAnchor + "<tr>a</tr></table>";
  EXPECT_EQ(rewrite(noTable), 0u);
  std::string noRow = page("<td>a</td>");
  EXPECT_EQ(rewrite(noRow), 0u);
  std::string noEnd = page(rows, "</tbody>");
  EXPECT_EQ(rewrite(noEnd), 0u);
  // Rows without end tags never close: the walk runs to the end.
  std::string unclosed = page("<tr><td>a<tr><td>b");
  EXPECT_EQ(rewrite(unclosed), 0u);
  // More "</tr>" than "<tr>": the depth never comes back to 0 at a row's end.
  std::string extraEnds = page("</tr><tr>a</tr></tr><tr>b</tr>");
  EXPECT_EQ(rewrite(extraEnds), 0u);
  std::string empty;
  EXPECT_EQ(rewrite(empty), 0u);
}

TEST(RowReversal, RelativeLinksBecomeAbsolute) {
  std::string text = page("<tr><td><img src=\"./a.gif\"></td></tr><tr><td>../up ./</td></tr>",
                          "</table><form action=\"cgi_jinro.cgi\"><a href=\"cgi_jinro.cgi?x\">");
  ASSERT_GT(rewrite(text), 0u);
  EXPECT_EQ(text.find("./"), std::string::npos);
  EXPECT_NE(text.find("<td>." + kBase + "up " + kBase + "</td>"), std::string::npos);
  EXPECT_NE(text.find("src=\"" + kBase + "a.gif\""), std::string::npos);
  // Only the first "cgi_jinro.cgi" gets the base.
  EXPECT_NE(text.find("action=\"" + kBase + "cgi_jinro.cgi\""), std::string::npos);
  EXPECT_NE(text.find("href=\"cgi_jinro.cgi?x\""), std::string::npos);
}

TEST(RowReversal, TwoOfThreeLogLinksWhenTheGameIsOver) {
  const std::string links =
      "</table><form action=\"cgi_jinro.cgi\"></form>"
      "<a HREF=\"cgi_jinro.cgi?COMMAND=LOGVIEW&DAY=1\">1</a>"
      "<A href='cgi_jinro.cgi?COMMAND=LOGVIEW&DAY=2'>2</a>"
      "<A href=\"cgi_jinro.cgi?COMMAND=LOGVIEW&DAY=3\">3</a>";
  std::string over = page("<tr>a</tr>", links);
  ASSERT_GT(rewrite(over, true), 0u);
  // Double-quoted forms first, written with "<A href=" whatever the page had.
  EXPECT_NE(over.find("<A href=\"" + kBase + "cgi_jinro.cgi?COMMAND=LOGVIEW&DAY=1\""), std::string::npos);
  EXPECT_NE(over.find("<A href=\"" + kBase + "cgi_jinro.cgi?COMMAND=LOGVIEW&DAY=3\""), std::string::npos);
  EXPECT_NE(over.find("<A href='cgi_jinro.cgi?COMMAND=LOGVIEW&DAY=2'"), std::string::npos);
  EXPECT_EQ(over.find("<a HREF"), std::string::npos);

  std::string running = page("<tr>a</tr>", links);
  ASSERT_GT(rewrite(running, false), 0u);
  EXPECT_EQ(running.find(kBase + "cgi_jinro.cgi?COMMAND"), std::string::npos);

  // Single-quoted, then bare, when no double-quoted one is left.
  std::string mixed = page("<tr>a</tr>",
                           "</table>cgi_jinro.cgi<a href=cgi_jinro.cgi?COMMAND=LOGVIEW>"
                           "<a href='cgi_jinro.cgi?COMMAND=LOGVIEW'>");
  ASSERT_GT(rewrite(mixed, true), 0u);
  EXPECT_NE(mixed.find("<A href=" + kBase + "cgi_jinro.cgi?COMMAND=LOGVIEW>"), std::string::npos);
  EXPECT_NE(mixed.find("<A href='" + kBase + "cgi_jinro.cgi?COMMAND=LOGVIEW'>"), std::string::npos);
}

TEST(RowReversal, RoleLinkOnce) {
  const std::string role = kRoleIntro + "<a href=\"jinro_rule.html\">";
  std::string text = page("<tr>a</tr>", "</table>" + role + role);
  ASSERT_GT(rewrite(text), 0u);
  EXPECT_NE(text.find(kRoleIntro + "<A href=\"" + kBase + "jinro_rule.html\">" + role), std::string::npos);
  std::string bare = page("<tr>a</tr>", "</table>" + kRoleIntro + "<A href=jinro_rule.html>");
  ASSERT_GT(rewrite(bare), 0u);
  EXPECT_NE(bare.find(kRoleIntro + "<A href=" + kBase + "jinro_rule.html>"), std::string::npos);
}

TEST(RowReversal, LimitsOfRowsAndResult) {
  // A row of 51,199 bytes is kept; one byte more and nothing changes.
  const std::string filler(kRowLimit - 9, 'x');
  std::string fits = page("<tr>" + filler + "</tr><tr>b</tr>");
  EXPECT_GT(rewrite(fits), 0u);
  std::string tooLong = page("<tr>" + filler + "y</tr><tr>b</tr>");
  EXPECT_EQ(rewrite(tooLong), 0u);

  // Exactly 511,999 bytes: reordered as it is; a single "./" more would not fit.
  std::string rows;
  std::string full = page("");
  while (full.size() + rows.size() + 20 < kPageTextLimit) rows += "<tr>row</tr>";
  std::string text = page(rows + "<tr>" + std::string(kPageTextLimit - full.size() - rows.size() - 9, 'z') + "</tr>");
  ASSERT_EQ(text.size(), kPageTextLimit);
  EXPECT_EQ(rewrite(text), kPageTextLimit);
  EXPECT_EQ(text.substr(head().size(), 4), "<tr>");
  EXPECT_EQ(text[head().size() + 4], 'z');
  std::string grown = page(rows + "<tr>./" + std::string(kPageTextLimit - full.size() - rows.size() - 11, 'z') +
                           "</tr>");
  ASSERT_EQ(grown.size(), kPageTextLimit);
  EXPECT_EQ(rewrite(grown), 0u);
  std::string over = text + "x";
  EXPECT_EQ(rewrite(over), 0u);
}

TEST(RowReversal, ManyRows) {
  // 100,000 rows cannot fit in a page: nothing changes.
  std::string rows;
  for (int k = 0; k < 100000; ++k) rows += "<tr>" + std::to_string(k) + "</tr>";
  std::string huge = page(rows);
  EXPECT_EQ(rewrite(huge), 0u);
  // 50,000 rows that fit come out last first.
  rows.clear();
  for (int k = 0; k < 50000; ++k) rows += "<tr>" + std::to_string(k % 10) + "</tr>";
  std::string many = page(rows);
  ASSERT_GT(rewrite(many), 0u);
  std::string expected;
  for (int k = 49999; k >= 0; --k) expected += "<tr>" + std::to_string(k % 10) + "</tr>";
  EXPECT_EQ(many.substr(head().size(), expected.size()), expected);
}

TEST(RowReversal, DoubleByteTextAroundTheTags) {
  // "表" (95 5C) and a lone lead byte at the very end of the text.
  std::string text = page("<tr>\x95\x5C</tr><tr>\x83\x41</tr>", "</table>\x83");
  ASSERT_GT(rewrite(text), 0u);
  EXPECT_NE(text.find("<tr>\x83\x41</tr><tr>\x95\x5C</tr></table>\x83"), std::string::npos);
  // "<tr>" whose "<" would be the second byte of a character is no tag:
  // 81 3C is one character.
  std::string hidden = page("<tr>a\x81<tr>b</tr><tr>c</tr>");
  ASSERT_GT(rewrite(hidden), 0u);
  EXPECT_NE(hidden.find("<tr>c</tr><tr>a\x81<tr>b</tr></table>"), std::string::npos);
}

TEST(RowReversal, GamePages) {
  fixtures::PageShape shape;
  shape.bytes = 60000;
  shape.rows = 40;
  shape.gameOver = true;
  std::string text = fixtures::gamePage(shape);
  const std::string original = text;
  ASSERT_GT(rewrite(text, true), 0u);
  EXPECT_EQ(text.find("./"), std::string::npos);
  // The rows, found in the original, come out in reverse.
  std::vector<std::string> rows;
  for (size_t at = original.find("<tr><td valign"); at != std::string::npos;
       at = original.find("<tr><td valign", at + 1))
    rows.push_back(original.substr(at, original.find("</tr>", at) + 5 - at));
  ASSERT_EQ(rows.size(), 40u);
  size_t last = 0;
  for (size_t k = rows.size(); k-- > 0;) {
    std::string row = rows[k];
    for (size_t at = row.find("./"); at != std::string::npos; at = row.find("./", at))
      row.replace(at, 2, kBase);
    const size_t at = text.find(row, last);
    ASSERT_NE(at, std::string::npos) << "row " << k;
    last = at + row.size();
  }
  // Applied twice, the rows return to their order (the links stay absolute).
  ASSERT_GT(rewrite(text, true), 0u);
  EXPECT_LT(text.find("face0"), text.find("colspan"));
}

// ---------------------------------------------------------------------------
// The rewrite against the step-by-step reference, on random pages.

class Random {
 public:
  explicit Random(uint64_t seed) : s_(seed) {}
  uint32_t next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 7;
    s_ ^= s_ << 17;
    return static_cast<uint32_t>(s_ >> 11);
  }
  size_t below(size_t n) { return n ? next() % n : 0; }
  template <size_t N>
  std::string pick(const char* const (&items)[N]) {
    return items[below(N)];
  }

 private:
  uint64_t s_;
};

std::string randomPiece(Random& rng, int depth) {
  static const char* const kPieces[] = {
      "<tr>", "</tr>", "<TR>", "</Tr>", "<td>", "x", "\x83\x41", "\x81", "./", ".", "/", " ", "<table>", "</table>",
      "</TABLE ", "cgi_jinro.cgi", "<A href=\"cgi_jinro.cgi?COMMAND=LOGVIEW", "<a href='cgi_jinro.cgi?COMMAND=LOGVIEW",
      "<a href=cgi_jinro.cgi?COMMAND=LOGVIEW", "\x83\x41\x83\x69\x83\x5E\x82\xCC\x96\xF0\x8A\x84\x82\xCD\x81\x75",
      "<A href=\"jinro_rule.html", "<a href=jinro_rule.html", "\x95\x5C", "\x94\xD4\x92\x6E<"};
  std::string s;
  const size_t n = rng.below(6);
  for (size_t k = 0; k < n; ++k) {
    if (depth < 2 && rng.below(12) == 0)
      s += "<tr><td><table>" + randomPiece(rng, depth + 1) + "</table></td></tr>";
    else
      s += rng.pick(kPieces);
  }
  return s;
}

std::string randomPage(Random& rng) {
  std::string s = randomPiece(rng, 0);
  if (rng.below(8)) s += rng.below(2) ? kAction : kRedisplay;
  s += randomPiece(rng, 0);
  if (rng.below(8)) s += kAnchor;
  s += randomPiece(rng, 0);
  if (rng.below(8)) s += "<table border=1>";
  const size_t rows = rng.below(6);
  for (size_t k = 0; k < rows; ++k) {
    s += rng.below(2) ? "<tr>" : "<TR>";
    s += randomPiece(rng, 0);
    if (rng.below(10)) s += rng.below(2) ? "</tr>" : "</TR>";
    s += randomPiece(rng, 0);
  }
  if (rng.below(8)) s += "</table>";
  s += randomPiece(rng, 0);
  return s;
}

TEST(RowReversalAgainstReference, RandomPages) {
  Random rng(4242);
  int rewritten = 0;
  const int cases = reference::caseCount(6000);
  for (int k = 0; k < cases; ++k) {
    const std::string original = randomPage(rng);
    const bool gameOver = rng.below(2) == 0;
    std::string fast = original, slow = original;
    const size_t n = reverseRowsAndFixLinks(fast, gameOver, ServerKind::standard);
    ASSERT_EQ(n, reference::reverseRowsAndFixLinks(slow, gameOver, kBase)) << original;
    ASSERT_EQ(fast, slow) << original;
    if (n == 0) {
      ASSERT_EQ(fast, original);
    }
    rewritten += n > 0;
  }
  EXPECT_GT(rewritten, cases / 6);  // the generator reaches the rewrite often enough
}

TEST(RowReversalAgainstReference, GamePagesAndOtherBases) {
  const uint32_t pages = reference::kCaseDivisor > 1 ? 2 : 6;
  for (uint32_t seed = 1; seed <= pages; ++seed) {
    fixtures::PageShape shape;
    shape.bytes = 5000 * seed;
    shape.rows = static_cast<int>(4 * seed);
    shape.gameOver = seed % 2 == 0;
    shape.spectator = seed % 3 == 0;
    shape.seed = seed;
    const std::string original = fixtures::gamePage(shape);
    for (const std::string& base : {kBase, std::string("https://example.org/a/b/"), std::string("/")}) {
      std::string fast = original, viaReference = original, slow = original;
      const size_t n = reversal::reverseRowsAndFixLinksWith<FastTextOps>(fast, shape.gameOver, base);
      EXPECT_GT(n, 0u);
      EXPECT_EQ(n, reversal::reverseRowsAndFixLinksWith<reference::ReferenceTextOps>(viaReference, shape.gameOver,
                                                                                        base));
      EXPECT_EQ(n, reference::reverseRowsAndFixLinks(slow, shape.gameOver, base));
      EXPECT_EQ(fast, slow);
      EXPECT_EQ(viaReference, slow);
    }
  }
  // A base that holds "./" would never let the replacement end.
  std::string text = page("<tr>a</tr>");
  EXPECT_EQ(reversal::reverseRowsAndFixLinksWith<FastTextOps>(text, false, "http://x/./"), 0u);
}

}  // namespace
}  // namespace jinro
