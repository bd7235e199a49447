#include "text.h"

#include <iconv.h>

#include <cerrno>

#include "base/code_page.h"

namespace village {

const char* charsetName(Encoding e) {
  switch (e) {
    case Encoding::Utf8:
      return "UTF-8";
    case Encoding::EucJp:
      return "EUC-JP";
    case Encoding::ShiftJis:
      break;
  }
  return "Shift_JIS";
}

namespace {

std::string utf8ToEucJp(std::string_view utf8) {
  std::string out;
  iconv_t cd = iconv_open("EUC-JP", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);
  out.reserve(utf8.size());
  char* src = const_cast<char*>(utf8.data());
  size_t left = utf8.size();
  char buffer[16384];
  while (left > 0) {
    char* dst = buffer;
    size_t room = sizeof buffer;
    size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer, sizeof buffer - room);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // Skip one whole UTF-8 character and put '?' for it.
      out.push_back('?');
      size_t step = 1;
      while (step < left && (static_cast<unsigned char>(src[step]) & 0xC0) == 0x80) ++step;
      src += step;
      left -= step;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> percentDecode(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '+') {
      out.push_back(' ');
    } else if (c == '%') {
      if (i + 2 >= s.size()) return std::nullopt;
      int hi = hexValue(s[i + 1]);
      int lo = hexValue(s[i + 2]);
      if (hi < 0 || lo < 0) return std::nullopt;
      out.push_back(static_cast<char>(hi * 16 + lo));
      i += 2;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

std::string encodePage(std::string_view utf8, Encoding e) {
  switch (e) {
    case Encoding::Utf8:
      return std::string(utf8);
    case Encoding::EucJp:
      return utf8ToEucJp(utf8);
    case Encoding::ShiftJis:
      break;
  }
  return jinro::utf8ToShiftJis(utf8);
}

std::optional<FormFields> parseForm(std::string_view data) {
  FormFields fields;
  size_t pos = 0;
  while (pos <= data.size()) {
    size_t amp = data.find('&', pos);
    if (amp == std::string_view::npos) amp = data.size();
    std::string_view piece = data.substr(pos, amp - pos);
    pos = amp + 1;
    if (piece.empty()) continue;
    size_t eq = piece.find('=');
    auto name = percentDecode(piece.substr(0, eq));
    auto value = eq == std::string_view::npos ? std::optional<std::string>("") : percentDecode(piece.substr(eq + 1));
    if (!name || !value) return std::nullopt;
    fields.emplace_back(std::move(*name), std::move(*value));
  }
  return fields;
}

std::optional<std::string> fieldValue(const FormFields& fields, std::string_view name) {
  for (auto it = fields.rbegin(); it != fields.rend(); ++it)
    if (it->first == name) return it->second;
  return std::nullopt;
}

std::string cleanPlayerText(std::string_view shiftJis, size_t maxChars) {
  std::string utf8 = jinro::shiftJisToUtf8(shiftJis);
  std::string out;
  size_t chars = 0;
  for (size_t i = 0; i < utf8.size() && chars < maxChars;) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (i + len > utf8.size()) break;
    if (c == '\r') {
      out.push_back('\n');
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out.push_back('\n');
    } else if (c == '\t') {
      out.push_back(' ');
    } else if (c < 0x20 || c == 0x7F) {
      // dropped
      i += len;
      continue;
    } else if (len == 2 && c == 0xC2 && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
      // C1 controls (U+0080..U+009F) are dropped too.
      i += len;
      continue;
    } else {
      out.append(utf8, i, len);
    }
    ++chars;
    i += len;
  }
  return out;
}

std::string escapeHtml(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 16);
  for (char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string base64(std::string_view bytes) {
  static const char* k = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                 static_cast<unsigned char>(bytes[i + 2]);
    out += k[v >> 18];
    out += k[(v >> 12) & 63];
    out += k[(v >> 6) & 63];
    out += k[v & 63];
  }
  size_t rest = bytes.size() - i;
  if (rest > 0) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (rest == 2) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += k[v >> 18];
    out += k[(v >> 12) & 63];
    out += rest == 2 ? k[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string jsonString(std::string_view bytes) {
  static const char* hex = "0123456789abcdef";
  std::string out = "\"";
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(ch);
    } else if (c < 0x20 || c >= 0x7F) {
      out += "\\u00";
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    } else {
      out.push_back(ch);
    }
  }
  out.push_back('"');
  return out;
}

}  // namespace village
