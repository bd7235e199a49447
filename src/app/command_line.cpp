#include "app/command_line.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "base/server_url.h"

namespace jinro {

namespace {

constexpr char kUsage[] =
    "Usage: jinro-client [--server-url URL]\n"
    "The desktop client of the Werewolf game.\n"
    "\n"
    "  --server-url URL  the game server's base URL (the folder of cgi_jinro.cgi)\n"
    "                    for this run: http:// or https://, ending with /\n"
    "                    (default %s)\n"
    "  -h, --help        this text\n"
    "  -v, --version     the program's version\n";

int refuse(const std::string& reason) {
  std::fprintf(stderr, "jinro-client: %s\nTry 'jinro-client --help'.\n", reason.c_str());
  return 2;
}

}  // namespace

std::optional<int> applyCommandLine(int argc, char** argv, const char* version) {
  const std::string defaultUrl(serverBaseUrl());
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::printf(kUsage, defaultUrl.c_str());
      return 0;
    }
    if (arg == "-v" || arg == "--version") {
      std::printf("jinro-client %s\n", version);
      return 0;
    }
    std::string_view value;
    if (arg == "--server-url") {
      if (i + 1 >= argc) return refuse("--server-url needs a URL");
      value = argv[++i];
    } else if (arg.starts_with("--server-url=")) {
      value = arg.substr(arg.find('=') + 1);
    } else if (arg.starts_with("-")) {
      return refuse("unknown option '" + std::string(arg) + "'");
    } else {
      return refuse("unexpected argument '" + std::string(arg) + "'");
    }
    if (const Result<void> used = useServerBaseUrl(std::string(value)); !used) return refuse(used.error());
  }
  return std::nullopt;
}

}  // namespace jinro
