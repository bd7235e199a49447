#pragma once
// Our own INI ("profile") file layer. Reads behave like the Windows profile
// functions: section and key names compared without regard to ASCII case,
// blanks around values trimmed, one pair of enclosing quotes removed, values
// cut to the buffer less one byte, defaults for a missing file, section or
// key, and an empty value is empty (not the default). Files with LF or CRLF
// line ends are read; sections are written with CRLF, bytes unchanged
// (Shift_JIS), and the file is replaced atomically.
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace jinro::profile {

// GetPrivateProfileString: the value cut to bufferSize - 1 bytes.
std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue,
                       size_t bufferSize, const std::string& path);

// GetPrivateProfileInt.
int32_t readInt(std::string_view section, std::string_view key, int32_t defaultValue, const std::string& path);

// WritePrivateProfileSection: replaces the whole section (adding it, or
// creating the file, when missing). Writes a temporary file beside the target,
// flushes it and renames it over the target. False when that failed; the old
// file is then left as it was.
bool writeSection(std::string_view section, const KeyValueList& pairs, const std::string& path);

}  // namespace jinro::profile
