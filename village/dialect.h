#pragma once
// The dialects of pages the village speaks: its own standard pages, or the
// pages of the public 2004 game script (cgi_jinro.cgi, 2004.02.02a).
#include <optional>
#include <string_view>

namespace village {

enum class Dialect { Standard, Script2004 };

inline const char* dialectName(Dialect d) { return d == Dialect::Script2004 ? "2004" : "standard"; }

inline std::optional<Dialect> parseDialect(std::string_view name) {
  if (name == "standard") return Dialect::Standard;
  if (name == "2004") return Dialect::Script2004;
  return std::nullopt;
}

}  // namespace village
