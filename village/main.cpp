// jinro-village: a small local game server of the Werewolf game, for the
// demo and for the end-to-end tests of the client.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "jinro/server_base_url.h"
#include "scenario.h"
#include "server.h"
#include "village.h"

namespace {

std::atomic<bool> gStop{false};

void onSignal(int) { gStop = true; }

void usage(std::ostream& out) {
  out << "Usage: jinro-village [options]\n"
         "A local village of the Werewolf game, served over HTTP on 127.0.0.1 in Shift_JIS.\n\n"
         "Options:\n"
         "  --url URL            base URL to serve (default " << jinro::kServerBaseUrl << ");\n"
         "                       host 127.0.0.1 or localhost; port 0 picks a free port\n"
         "  --scenario NAME      the scenario to start with (default demo; see --list-scenarios)\n"
         "  --dialect NAME       the pages the village speaks: standard (default) or 2004, the\n"
         "                       pages of the public 2004 game script (cgi_jinro.cgi 2004.02.02a):\n"
         "                       registration at cgi_jinro.cgi?entry, village select at ?room,\n"
         "                       the game begins at night 1, no page names a charset\n"
         "  --phase-seconds N    advance the game every N seconds (default 20); a finished\n"
         "                       game is shown for 3 periods, then a new one begins\n"
         "  --manual             advance only when asked on /__control/advance\n"
         "  --seed N             seed of the villagers' choices (default 1)\n"
         "  --port-file FILE     write the port number to FILE once listening\n"
         "  --list-scenarios     list the scenarios of the dialect and exit\n"
         "  --help               show this help and exit\n\n"
         "Pages under the base URL: the framed entry (the base URL itself), index.html,\n"
         "index2.html (entry with the login form), cgi_jinro.cgi, jinro_rule.html.\n"
         "The player of a scenario logs in as villager no. 3 with the password \"pass\".\n"
         "In the 2004 dialect the base URL and jinro_index.htm are the top page, index2.html the\n"
         "village's login form filled in for that player (CMBPLAYER=3, TXTPASS=pass, VILLAGENO=1),\n"
         "and a bare GET or an empty POST of cgi_jinro.cgi answers \"正しい入り口からどうぞ。\".\n\n"
         "Control (GET or POST, JSON unless stated), never visited by the client:\n"
         "  /__control/state                  scenario, phase, day, step, living, capacity, winner, formid,\n"
         "                                    dialect, dawn (a night's actions are due), fail_next\n"
         "  /__control/fail-next?n=N          answer the next N in-game POSTs to cgi_jinro.cgi (default 1;\n"
         "                                    0 cancels) with a titled page of the server that is no game\n"
         "                                    page, the game untouched; &status=S sends it with status S\n"
         "                                    (default 200). In-game: the 2004 dialect's TXTLOGIN=2 POSTs;\n"
         "                                    in the standard one every POST but LOGIN, ENTRY, REGIST, LOGVIEW\n"
         "  /__control/advance?n=N            advance N steps (default 1); answers the new state\n"
         "  /__control/chatter                one more line of small talk\n"
         "  /__control/scenario?name=NAME     start NAME afresh (the request log stays);\n"
         "                                    &village=N numbers the village N\n"
         "  /__control/scenarios              the scenarios\n"
         "  /__control/requests               every request received: method, target, headers, body (base64)\n"
         "  /__control/requests?format=lines  one per line: seq TAB method TAB target TAB body-base64 TAB\n"
         "                                    headers-base64 (\"Name: value\\r\\n\" each)\n"
         "  /__control/reset-log              forget the requests received so far\n"
         "  /__control/shutdown               stop the village\n";
}

bool parseInt(const char* s, long lo, long hi, long* out) {
  char* end = nullptr;
  long v = std::strtol(s, &end, 10);
  if (!*s || *end || v < lo || v > hi) return false;
  *out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string url = jinro::kServerBaseUrl;
  std::string scenario = "demo";
  village::Dialect dialect = village::Dialect::Standard;
  bool listScenarios = false;
  std::string portFile;
  long phaseSeconds = 20;
  long seed = 1;
  bool manual = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) {
        std::cerr << "jinro-village: " << a << " needs a value\n";
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--help" || a == "-h") {
      usage(std::cout);
      return 0;
    } else if (a == "--list-scenarios") {
      listScenarios = true;
    } else if (a == "--dialect") {
      auto d = village::parseDialect(value());
      if (!d) {
        std::cerr << "jinro-village: --dialect takes standard or 2004\n";
        return 2;
      }
      dialect = *d;
    } else if (a == "--url") {
      url = value();
    } else if (a == "--scenario") {
      scenario = value();
    } else if (a == "--phase-seconds") {
      if (!parseInt(value(), 1, 86400, &phaseSeconds)) {
        std::cerr << "jinro-village: --phase-seconds takes a number of seconds from 1 to 86400\n";
        return 2;
      }
    } else if (a == "--seed") {
      if (!parseInt(value(), 0, 0x7fffffff, &seed)) {
        std::cerr << "jinro-village: --seed takes a number from 0 to 2147483647\n";
        return 2;
      }
    } else if (a == "--manual") {
      manual = true;
    } else if (a == "--port-file") {
      portFile = value();
    } else {
      std::cerr << "jinro-village: unknown option '" << a << "'\n";
      usage(std::cerr);
      return 2;
    }
  }
  if (listScenarios) {
    for (const auto& s : village::allScenarios())
      if (village::availableIn(s, dialect)) std::cout << s.name << "\t" << s.description << "\n";
    return 0;
  }
  if (!village::findScenario(scenario, dialect)) {
    std::cerr << "jinro-village: unknown scenario '" << scenario << "' in the " << village::dialectName(dialect)
              << " dialect (see --list-scenarios)\n";
    return 2;
  }
  std::string why;
  auto base = village::parseBaseUrl(url, &why);
  if (!base) {
    std::cerr << "jinro-village: cannot serve " << url << ": " << why << "\n";
    return 2;
  }

  village::Village v(base->path, scenario, static_cast<uint32_t>(seed), dialect);
  village::VillageServer server(v);
  int port = server.bind(base->port);
  if (port < 0) {
    std::cerr << "jinro-village: cannot listen on 127.0.0.1:" << base->port << " (in use?)\n";
    return 1;
  }
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  std::signal(SIGPIPE, SIG_IGN);
  server.start();
  if (!portFile.empty()) {
    std::string tmp = portFile + ".tmp";
    {
      std::ofstream f(tmp);
      f << port << "\n";
    }
    std::rename(tmp.c_str(), portFile.c_str());
  }
  std::cerr << "jinro-village: serving http://127.0.0.1:" << port << base->path << " (scenario " << scenario << ", dialect " << village::dialectName(dialect)
            << (manual ? ", manual" : ", a step every " + std::to_string(phaseSeconds) + " s") << ")" << std::endl;

  using Clock = std::chrono::steady_clock;
  auto lastStep = Clock::now();
  auto lastChat = lastStep;
  const auto period = std::chrono::seconds(phaseSeconds);
  int periodsOver = 0;
  const auto chatPeriod = std::max<std::chrono::milliseconds>(period / 4, std::chrono::milliseconds(1000));
  while (!gStop && !v.shutdownRequested()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (manual) continue;
    auto now = Clock::now();
    if (now - lastStep >= period) {
      // A finished game stays on show for three periods, then a new one begins.
      if (v.isOver() && ++periodsOver > 3) {
        v.restart();
        periodsOver = 0;
      } else {
        v.advance();
      }
      lastStep = lastChat = now;
    } else if (now - lastChat >= chatPeriod) {
      v.chatter();
      lastChat = now;
    }
  }
  server.stop();
  std::cerr << "jinro-village: stopped" << std::endl;
  return 0;
}
