#pragma once
// The pages' encoding, Shift_JIS, and the crossings into and out of it. A
// page is read as the bytes the server's encoding gives; everything that
// leaves the page layer for the player (the clipboard, the notes, a log's
// title) is UTF-8. The client converts through these and names no encoding.
#include <string>
#include <string_view>

namespace jinro {

// The charset a page's bytes are shown in again (the browser is told it).
inline constexpr std::string_view kPageCharset = "Shift_JIS";

// The page's text from the HTML the browser holds: converted as the browser
// decodes the page, up to its first zero, then cut to 511,999 bytes without
// splitting a double-byte character. Only the first 1,024,000 units are
// read: every unit gives at least one byte except the halves of a surrogate
// pair, which give one '?' together. `text` keeps its memory from one page to
// the next.
void pageTextFromHtml(std::u16string_view html, std::string& text);

// A piece of the page as the browser holds it (a table row, say), in the
// page's encoding.
std::string pageTextFromUtf16(std::u16string_view text);

// Text of the page (a speech, a title) as UTF-8.
std::string pageTextToUtf8(std::string_view pageText);

}  // namespace jinro
