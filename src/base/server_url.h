#pragma once
// The game server's base URL: the folder of cgi_jinro.cgi on the server. The
// build fixes a default; the player may name another for one run
// (jinro-client --server-url URL), and everything that speaks to the server
// or writes its links follows it.
#include <string>
#include <string_view>

#include "base/result.h"

namespace jinro {

// The environment variable through which the client hands its base URL on to
// the log viewer it starts.
inline constexpr char kServerUrlVariable[] = "JINRO_SERVER_URL";

// The base URL in use: the one chosen with useServerBaseUrl, else the build's.
std::string_view serverBaseUrl();

// Whether URL can serve as the base: http:// or https://, ending in "/", no
// "./" (relative links are rewritten by replacing "./" with the base, which
// would never end), no quotes or backslashes (it is written into links and
// headers as it is).
Result<void> checkServerBaseUrl(std::string_view url);

// Makes URL the base for the rest of the run, after checkServerBaseUrl;
// a refused URL changes nothing.
Result<void> useServerBaseUrl(std::string url);

}  // namespace jinro
