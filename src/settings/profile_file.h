#pragma once
// Our own INI ("profile") file layer. Reads behave like the Windows profile
// functions: section and key names compared without regard to ASCII case,
// blanks around values trimmed, one pair of enclosing quotes removed, values
// cut to the buffer less one byte, defaults for a missing file, section or
// key, and an empty value is empty (not the default). Files with LF or CRLF
// line ends are read; sections are written with CRLF, bytes unchanged
// (Shift_JIS), and the file is replaced atomically.
//
// Reading details:
// - A line whose first non-blank byte is '[' and that holds a ']' (at a
//   character start) opens a section; its name is what lies between the '['
//   and the last such ']', trimmed. Anything after that ']' is ignored.
// - Inside a section, "key = value" lines give entries; a line without '=' is
//   ignored. Lines before the first section belong to no section.
// - When a section or a key appears twice, the first one counts.
// - A value ends at a zero byte, if it holds one.
// - A UTF-8 byte order mark at the start of the file is passed over (and kept
//   on writing); the bytes are otherwise taken as they are.
// - A file that is not a regular file, cannot be read, or is larger than
//   kMaxFileSize reads as an empty file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "settings/settings.h"

namespace jinro::profile {

// Larger files are neither read nor rewritten.
inline constexpr size_t kMaxFileSize = 64u * 1024u * 1024u;

// A profile file read and indexed once, for several look-ups.
class Document {
 public:
  Document() = default;
  // Reads the file; an absent or unreadable file gives an empty document.
  static Document load(const std::string& path);
  // Indexes the given bytes as the content of a file.
  static Document parse(std::string content);

  // The raw value of the key (trimmed, quotes still on), or nothing when the
  // section or the key is absent.
  std::optional<std::string_view> find(std::string_view section, std::string_view key) const;

  // GetPrivateProfileString: the value without one pair of enclosing quotes,
  // cut to bufferSize - 1 bytes on a character boundary; the default (cut the
  // same way) when absent.
  std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue,
                         size_t bufferSize) const;

  // GetPrivateProfileInt: optional blanks, an optional sign and decimal
  // digits (wrapping at 32 bits); what follows the digits is ignored, a value
  // without digits reads as 0. The default when the key is absent or its
  // value is empty.
  int32_t readInt(std::string_view section, std::string_view key, int32_t defaultValue) const;

 private:
  struct Span {
    size_t pos = 0;
    size_t len = 0;
  };
  struct Entry {
    Span key;
    Span value;
  };
  struct Section {
    Span name;
    size_t firstEntry = 0;
    size_t entryCount = 0;
  };
  std::string_view text(Span s) const { return std::string_view(content_).substr(s.pos, s.len); }

  std::string content_;
  std::vector<Section> sections_;
  std::vector<Entry> entries_;
};

// GetPrivateProfileString: the value cut to bufferSize - 1 bytes.
std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue,
                       size_t bufferSize, const std::string& path);

// GetPrivateProfileInt.
int32_t readInt(std::string_view section, std::string_view key, int32_t defaultValue, const std::string& path);

// The file content with the section replaced by the pairs ("key=value" lines,
// CRLF), in place of its first occurrence; later occurrences of the section
// are dropped, blank lines that ended the old section are kept, and every
// other byte of the content stays as it was. A missing section is appended.
// A key or value is cut at its first CR, LF or zero byte, so that it cannot
// start a line of its own.
std::string replaceSection(std::string_view content, std::string_view section, const KeyValueList& pairs);

// WritePrivateProfileSection: replaces the whole section (adding it, or
// creating the file, when missing). The file is replaced through
// writeFileDurably (base/durable_file.h): a temporary file beside the target,
// flushed and renamed over it, keeping the target's permission bits (and
// owner, where allowed); a new file gets 0666 less the umask. Two writers of
// the same file (two running clients) take turns through an advisory lock on
// the directory, so neither loses the other's section. Fails, with the reason,
// when the file could not be replaced, when the existing file could not be
// read whole (not a regular file, unreadable, larger than kMaxFileSize), or
// when the section name is empty, holds ']', CR, LF or a zero byte, or ends
// with the first byte of a double-byte character; the old file is then left
// as it was.
Result<void> writeSection(std::string_view section, const KeyValueList& pairs, const std::string& path);

// The folder of a file's path: "." for a bare name, "/" for one at the root
// (jinro::directoryOf of base/durable_file.h).
std::string directoryOf(const std::string& path);

}  // namespace jinro::profile
