#pragma once
// The village as an HTTP application: routes the game's pages under the base
// path, keeps the log of the requests it received, and answers the control
// path /__control/ that tests use. Independent of the HTTP library: the
// server hands it each request as an HttpRequest. Thread-safe.
#include <cstdint>
#include <memory>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dialect.h"
#include "game.h"
#include "scenario.h"
#include "script2004_cgi.h"

namespace village {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
  std::string method;
  std::string target;  // as received: path and query, still percent-encoded
  std::string version;
  HeaderList headers;
  std::string body;
  // The body was refused for its size and is not in `body`.
  bool bodyRefused = false;
};

struct HttpResponse {
  int status = 200;
  std::string contentType;
  std::string body;
  HeaderList headers;
};

struct LoggedRequest {
  uint64_t seq = 0;
  HttpRequest request;
};

inline constexpr size_t kMaxBodyBytes = 1024 * 1024;  // larger bodies get an error page
inline constexpr const char* kControlPrefix = "/__control/";

class Village {
 public:
  // basePath starts and ends with '/'. The scenario must exist and be played
  // in the dialect (else the village plays demo).
  Village(std::string basePath, const std::string& scenario, uint32_t seed, Dialect dialect = Dialect::Standard);

  HttpResponse handle(const HttpRequest& request);

  // Starts the scenario afresh (a new game; the request log stays).
  bool setScenario(std::string_view name);
  void advance(int steps = 1);
  void chatter();
  // The game has ended (a victory or a draw).
  bool isOver() const;
  // A new game of the same scenario with the next seed (the demo's clock
  // starts one a while after each end).
  void restart();
  // Set once a control request asked the village to stop.
  bool shutdownRequested() const;

  std::string stateJson() const;
  std::vector<LoggedRequest> requests() const;
  void resetLog();
  std::string scenarioName() const;
  Dialect dialect() const { return dialect_; }
  // The next n in-game POSTs get a page of the server that is no game page
  // (status `status`), and the game does not see them.
  void failNext(int n, int status = 200);

 private:
  HttpResponse handleGame(const HttpRequest& request, std::string_view subPath, std::string_view query);
  HttpResponse handleCgi(const HttpRequest& request, std::string_view query);
  HttpResponse handleControl(std::string_view path, std::string_view query);
  HttpResponse handle2004(const HttpRequest& request, std::string_view subPath, std::string_view query);
  HttpResponse page2004(script2004::Reply reply);
  // Takes one of the failures asked for by failNext, if any is left.
  bool takeFailure();
  HttpResponse page(std::string utf8, int status = 200);
  HttpResponse error(int status, std::string_view message);
  std::string stateJsonLocked() const;
  // With the lock held; villageNo 0: the dialect's own number.
  void install(const Scenario& s, int villageNo = 0);
  void log(const HttpRequest& request);

  mutable std::mutex mutex_;
  std::string basePath_;
  const Scenario* scenario_ = nullptr;
  uint32_t seed_;
  std::unique_ptr<Game> game_;
  int steps_ = 0;
  uint64_t formId_ = 0;
  uint64_t nextSeq_ = 1;
  std::deque<LoggedRequest> log_;
  size_t logBytes_ = 0;
  std::string hostileCache_;
  bool shutdown_ = false;
  Dialect dialect_;
  std::unique_ptr<script2004::Cgi> cgi2004_;
  int failNext_ = 0;
  int failStatus_ = 200;
};

// The error page for a request that never reached the village (too large,
// malformed), in Shift_JIS.
std::string standaloneErrorPage(std::string_view message);

}  // namespace village
