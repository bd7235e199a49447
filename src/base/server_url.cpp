#include "base/server_url.h"

#include "jinro/server_base_url.h"

namespace jinro {

namespace {

std::string& chosenUrl() {
  static std::string url = kServerBaseUrl;
  return url;
}

}  // namespace

std::string_view serverBaseUrl() { return chosenUrl(); }

Result<void> checkServerBaseUrl(std::string_view url) {
  const std::string shown = "'" + std::string(url) + "'";
  if (!url.starts_with("http://") && !url.starts_with("https://")) {
    return fail("the server URL must start with http:// or https:// (got " + shown + ")");
  }
  const size_t hostStart = url.find("//") + 2;
  if (url.size() == hostStart || url[hostStart] == '/') return fail("the server URL has no host (got " + shown + ")");
  if (!url.ends_with('/')) return fail("the server URL must end with / (got " + shown + ")");
  if (url.find("./") != std::string_view::npos) return fail("the server URL must not contain ./ (got " + shown + ")");
  for (const char c : url) {
    if (c == '"' || c == '\'' || c == '\\') return fail("the server URL must not contain quotes or backslashes");
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7f) {
      return fail("the server URL must not contain spaces or control characters");
    }
  }
  return {};
}

Result<void> useServerBaseUrl(std::string url) {
  if (Result<void> ok = checkServerBaseUrl(url); !ok) return ok;
  chosenUrl() = std::move(url);
  return {};
}

}  // namespace jinro
