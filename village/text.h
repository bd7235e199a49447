#pragma once
// Byte and text helpers of the village: form decoding, HTML escaping, the
// page encodings, base64 and JSON strings for the control API.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace village {

// The encodings a page can go out in. Shift_JIS is the game's own.
enum class Encoding { ShiftJis, Utf8, EucJp };

const char* charsetName(Encoding e);

// Converts a UTF-8 page to the given encoding. Unmappable characters become '?'.
std::string encodePage(std::string_view utf8, Encoding e);

using FormFields = std::vector<std::pair<std::string, std::string>>;

// Decodes application/x-www-form-urlencoded data into raw bytes per field:
// '+' is a space, %XX a byte. nullopt when a '%' is not followed by two hex
// digits. Empty pieces between '&' are skipped; a piece without '=' is a field
// with an empty value.
std::optional<FormFields> parseForm(std::string_view data);

// The value of the last field of that name (later fields win), or nullopt.
std::optional<std::string> fieldValue(const FormFields& fields, std::string_view name);

// A text typed by a player, in Shift_JIS as browsers send it, made safe to
// keep: decoded to UTF-8 (undecodable bytes become U+FFFD), line breaks
// normalised to '\n', other control characters dropped, cut to maxChars
// characters.
std::string cleanPlayerText(std::string_view shiftJis, size_t maxChars);

// Escapes & < > " ' for HTML text and attribute values (UTF-8 in, UTF-8 out).
std::string escapeHtml(std::string_view utf8);

std::string base64(std::string_view bytes);

// A JSON string literal of arbitrary bytes: ASCII as is (escaped where JSON
// needs it), each byte >= 0x80 as \u00XX (so the bytes are recoverable as
// Latin-1 code points).
std::string jsonString(std::string_view bytes);

}  // namespace village
