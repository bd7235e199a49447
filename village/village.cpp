#include "village.h"

#include <algorithm>
#include <charconv>

#include "pages.h"
#include "script2004_pages.h"
#include "text.h"

namespace village {
namespace {

constexpr int kVillageNo = 123;
constexpr int kVillageNo2004 = 1;  // the first village the script creates
constexpr size_t kLogMaxEntries = 10000;
constexpr size_t kLogMaxBytes = 64u * 1024 * 1024;

// A whole decimal number within [lo, hi], or fallback.
int toInt(std::string_view s, int fallback, int lo = 0, int hi = 1000000) {
  int v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi) return fallback;
  return v;
}

std::string trimSpace(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\n')) s.pop_back();
  size_t start = 0;
  while (start < s.size() && (s[start] == ' ' || s[start] == '\n')) ++start;
  return s.substr(start);
}

bool isPlainPassword(std::string_view s) {
  return !s.empty() && s.size() <= 16 && std::all_of(s.begin(), s.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-';
  });
}

// A name shows on every page of the game, so it must not hold any of the
// texts by which the pages are read (in any letter case).
bool isFairName(const std::string& name) {
  static const char* const kReserved[] = {"番地", "日目", "◆", "事件前日", "行動/更新", "再表示", "定員", "生存中",
                                          "幽霊", "勝利", "引き分け", "投票", "能力対象", "txt", "formid",
                                          "villageno", "cmbplayer", "command", "clstd", "black", "160", "./"};
  std::string lower = name;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (const char* r : kReserved)
    if (lower.find(r) != std::string::npos) return false;
  return true;
}

HttpResponse json(int status, std::string body) {
  HttpResponse r;
  r.status = status;
  r.contentType = "application/json";
  r.body = std::move(body);
  r.body.push_back('\n');
  return r;
}

}  // namespace

std::string standaloneErrorPage(std::string_view message) {
  return encodePage(errorPage(message, PageOptions{}), Encoding::ShiftJis);
}

Village::Village(std::string basePath, const std::string& scenario, uint32_t seed, Dialect dialect)
    : basePath_(std::move(basePath)), seed_(seed), dialect_(dialect) {
  if (!setScenario(scenario)) setScenario("demo");
}

namespace {

struct Prepared {
  std::unique_ptr<Game> game;
  std::string hostile;
};

Prepared prepare(const Scenario& s, uint32_t seed, Dialect dialect, int villageNo) {
  GameConfig config;
  config.capacity = s.capacity;
  config.villageNo = villageNo > 0 ? villageNo : dialect == Dialect::Script2004 ? kVillageNo2004 : kVillageNo;
  config.seed = seed;
  config.forcedWinner = s.forcedWinner;
  config.forcedAtExecution = s.forcedAtExecution;
  // The script's game begins at night 1.
  config.rules = dialect == Dialect::Script2004 ? Rules::NightFirst : Rules::Standard;
  auto game = std::make_unique<Game>(config);
  for (int i = 1; i <= s.villagers; ++i) {
    if (i == s.playerNo)
      game->join("旅人", kPlayerPass, true, s.playerRole);
    else
      game->join("", "", false);
  }
  if (s.started) game->start();
  // A scenario's steps count from the first daytime, which under these rules
  // comes after the first night.
  if (s.steps > 0 && config.rules == Rules::NightFirst)
    while (game->phase() == Phase::Night) game->advance();
  for (int i = 0; i < s.steps; ++i) game->advance();
  return {std::move(game), hostilePage(s.hostile, kVillageNo)};
}

}  // namespace

void Village::install(const Scenario& s, int villageNo) {
  Prepared p = prepare(s, seed_, dialect_, villageNo);
  scenario_ = &s;
  if (dialect_ == Dialect::Script2004) cgi2004_ = std::make_unique<script2004::Cgi>(seed_);
  game_ = std::move(p.game);
  steps_ = 0;
  hostileCache_ = std::move(p.hostile);
}

bool Village::setScenario(std::string_view name) {
  const Scenario* s = findScenario(name, dialect_);
  if (!s) return false;
  std::lock_guard lock(mutex_);
  install(*s);
  return true;
}

std::string Village::scenarioName() const {
  std::lock_guard lock(mutex_);
  return scenario_->name;
}

void Village::advance(int steps) {
  std::lock_guard lock(mutex_);
  for (int i = 0; i < steps; ++i) {
    game_->advance();
    ++steps_;
  }
}

bool Village::isOver() const {
  std::lock_guard lock(mutex_);
  return game_->phase() == Phase::Over;
}

void Village::restart() {
  std::lock_guard lock(mutex_);
  ++seed_;
  install(*scenario_);
}

void Village::chatter() {
  std::lock_guard lock(mutex_);
  game_->chatter();
}

bool Village::shutdownRequested() const {
  std::lock_guard lock(mutex_);
  return shutdown_;
}

std::vector<LoggedRequest> Village::requests() const {
  std::lock_guard lock(mutex_);
  return {log_.begin(), log_.end()};
}

void Village::resetLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
  logBytes_ = 0;
}

std::string Village::stateJson() const {
  std::lock_guard lock(mutex_);
  return stateJsonLocked();
}

std::string Village::stateJsonLocked() const {
  const Game& g = *game_;
  std::string out = "{\"scenario\":" + jsonString(scenario_->name);
  out += ",\"phase\":" + jsonString(phaseName(g.phase()));
  out += ",\"day\":" + std::to_string(g.day());
  out += ",\"step\":" + std::to_string(steps_);
  out += ",\"living\":" + std::to_string(g.living());
  out += ",\"villagers\":" + std::to_string(g.villagers().size());
  out += ",\"capacity\":" + std::to_string(g.capacity());
  out += ",\"winner\":" + jsonString(winnerName(g.winner()));
  out += ",\"village_no\":" + std::to_string(g.villageNo());
  out += ",\"player_no\":" + std::to_string(scenario_->playerNo);
  out += ",\"player_pass\":" + jsonString(scenario_->playerNo ? kPlayerPass : "");
  out += ",\"formid\":" + std::to_string(cgi2004_ ? cgi2004_->lastFormId() : formId_);
  out += ",\"requests\":" + std::to_string(log_.size());
  out += ",\"base_path\":" + jsonString(basePath_);
  out += ",\"dialect\":" + jsonString(dialectName(dialect_));
  out += std::string(",\"dawn\":") + (g.dawn() ? "true" : "false");
  out += ",\"fail_next\":" + std::to_string(failNext_) + "}";
  return out;
}

void Village::log(const HttpRequest& request) {
  while (!log_.empty() && (log_.size() >= kLogMaxEntries || logBytes_ + request.body.size() > kLogMaxBytes)) {
    logBytes_ -= log_.front().request.body.size();
    log_.pop_front();
  }
  log_.push_back({nextSeq_++, request});
  logBytes_ += request.body.size();
}

HttpResponse Village::page(std::string utf8, int status) {
  HttpResponse r;
  r.status = status;
  Encoding e = scenario_->encoding;
  r.contentType = std::string("text/html; charset=") + charsetName(e);
  r.body = encodePage(utf8, e);
  return r;
}

void Village::failNext(int n, int status) {
  std::lock_guard lock(mutex_);
  failNext_ = std::max(n, 0);
  failStatus_ = status;
}

bool Village::takeFailure() {
  if (failNext_ <= 0) return false;
  --failNext_;
  return true;
}

HttpResponse Village::page2004(script2004::Reply reply) {
  HttpResponse r;
  r.status = reply.status;
  // The script names no charset: Shift_JIS is assumed.
  r.contentType = "text/html";
  r.body = encodePage(reply.utf8, Encoding::ShiftJis);
  r.headers = std::move(reply.headers);
  return r;
}

HttpResponse Village::error(int status, std::string_view message) {
  if (dialect_ == Dialect::Script2004) return page2004({status, script2004::plainPage(message), {}});
  PageOptions opt;
  opt.charset = charsetName(scenario_->encoding);
  return page(errorPage(message, opt), status);
}

HttpResponse Village::handle(const HttpRequest& request) {
  std::lock_guard lock(mutex_);
  std::string_view target = request.target;
  size_t q = target.find('?');
  std::string_view path = target.substr(0, q);
  std::string_view query = q == std::string_view::npos ? std::string_view() : target.substr(q + 1);
  if (path.starts_with(kControlPrefix)) return handleControl(path.substr(std::string_view(kControlPrefix).size()), query);
  log(request);
  if (request.bodyRefused) return error(413, "送信された内容が大きすぎます。");
  if (request.method != "GET" && request.method != "POST" && request.method != "HEAD")
    return error(405, "この方法では受け付けられません。");
  if (path == "/" && basePath_ != "/") {
    HttpResponse r = error(302, "移動しました。");
    r.headers.emplace_back("Location", basePath_);
    return r;
  }
  if (!path.starts_with(basePath_)) return error(404, "そのページはありません。");
  return handleGame(request, path.substr(basePath_.size()), query);
}

HttpResponse Village::handleGame(const HttpRequest& request, std::string_view sub, std::string_view query) {
  PageOptions opt;
  opt.charset = charsetName(scenario_->encoding);
  opt.spaceBeforeLiving = scenario_->spaceBeforeLiving;
  if (dialect_ == Dialect::Script2004) return handle2004(request, sub, query);
  bool hostile = scenario_->hostile != Hostile::None;
  if (sub.empty()) return page(framesetPage(opt));
  if (sub == "index.html") return page(indexPage(opt));
  if (sub == "jinro_rule.html") return page(rulesPage(opt));
  if (sub == "index2.html" && !hostile)
    return page(entryPage(*game_, scenario_->playerNo, scenario_->playerNo ? kPlayerPass : "", opt));
  if (sub == "cgi_jinro.cgi" || sub == "index2.html") {
    if (hostile) {
      HttpResponse r;
      r.contentType = "text/html; charset=Shift_JIS";
      r.body = hostileCache_;
      size_t at = r.body.find(kFormIdPlaceholder);
      if (at != std::string::npos && at < 65536)
        r.body.replace(at, std::string_view(kFormIdPlaceholder).size(), std::to_string(++formId_));
      return r;
    }
    return handleCgi(request, query);
  }
  return error(404, "そのページはありません。");
}

HttpResponse Village::handleCgi(const HttpRequest& request, std::string_view query) {
  PageOptions opt;
  opt.charset = charsetName(scenario_->encoding);
  opt.spaceBeforeLiving = scenario_->spaceBeforeLiving;
  auto fields = parseForm(query);
  if (fields && request.method == "POST") {
    auto bodyFields = parseForm(request.body);
    if (!bodyFields)
      fields.reset();
    else
      fields->insert(fields->end(), bodyFields->begin(), bodyFields->end());
  }
  if (!fields) return error(400, "リクエストの形式が正しくありません。");
  auto get = [&](std::string_view name) { return fieldValue(*fields, name).value_or(""); };
  Game& g = *game_;
  std::string command = get("COMMAND");
  // Entering the game (login, registration) and reading logs are not in-game.
  bool inGame = command != "LOGIN" && command != "ENTRY" && command != "REGIST" && command != "LOGVIEW";
  if (request.method == "POST" && inGame && takeFailure())
    return error(failStatus_, "ただいま村が混み合っています。しばらくしてから、もう一度どうぞ。");
  std::string villageNo = get("VILLAGENO");
  if (!villageNo.empty() && toInt(villageNo, -1) != g.villageNo()) return error(404, "その村はありません。");
  const Villager* me = g.login(toInt(get("TXTPNO"), 0), cleanPlayerText(get("TXTPASS"), 64));
  opt.padToBytes = scenario_->pageBytes;
  auto gameView = [&]() { return page(gamePage(g, me, ++formId_, opt)); };

  if (command.empty() || command == "VIEW") return gameView();
  if (command == "LOGIN") return me ? gameView() : error(403, "番地またはパスワードが違います。");
  if (command == "LOGVIEW") {
    int day = toInt(get("DAY"), -1, 0, g.lastRecordedDay());
    if (get("DAY").empty()) day = g.day();
    if (day < 0) return error(404, "その日の記録はありません。");
    return page(logPage(g, day, opt));
  }
  if (command == "ENTRY" || command == "REGIST") {
    bool open = g.phase() == Phase::Lobby && static_cast<int>(g.villagers().size()) < g.capacity();
    if (!open) return page(registrationPage(g, "この村は登録を締め切りました。", opt));
    if (command == "ENTRY") return page(registrationPage(g, "", opt));
    std::string name = trimSpace(cleanPlayerText(get("TXTNAME"), 16));
    std::string pass = get("TXTPASS");
    if (name.empty() || name.find('\n') != std::string::npos)
      return page(registrationPage(g, "名前を入力してください。", opt));
    if (!isFairName(name)) return page(registrationPage(g, "その名前は使えません。", opt));
    if (!isPlainPassword(pass))
      return page(registrationPage(g, "パスワードは16文字までの半角英数字で入力してください。", opt));
    int no = g.join(name, pass, true);
    me = g.find(no);
    return gameView();
  }
  if (command != "MSG" && command != "VOTE" && command != "ACTION") return error(400, "不明なコマンドです。");
  if (!me) return error(403, "ログインしてください。番地またはパスワードが違います。");
  if (command == "MSG") {
    std::string text = trimSpace(cleanPlayerText(get("TXTMSG"), 400));
    if (!text.empty()) g.say(me->no, text);
  } else if (command == "VOTE") {
    g.vote(me->no, toInt(get("CMBPLAYER"), 0));
  } else {
    g.act(me->no, toInt(get("CMBPLAYER"), 0));
  }
  return gameView();
}

HttpResponse Village::handle2004(const HttpRequest& request, std::string_view sub, std::string_view query) {
  const Game& g = *game_;
  if (sub.empty() || sub == "index.html" || sub == "jinro_index.htm") return page2004({200, script2004::topPage(), {}});
  if (sub == "index2.html") {
    // The login form as a returning player's browser fills it in.
    int no = scenario_->playerNo;
    return page2004({200, script2004::loginPage(g, no, no ? kPlayerPass : ""), {}});
  }
  if (sub != "cgi_jinro.cgi") return error(404, "そのページはありません。");
  if (script2004::Cgi::isInGamePost(request.method, request.body) && takeFailure())
    return error(failStatus_, "ただいま村が混み合っています。しばらくしてから、もう一度どうぞ。");
  std::string cookies;
  for (const auto& [name, value] : request.headers) {
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "cookie") cookies += (cookies.empty() ? "" : "; ") + value;
  }
  return page2004(cgi2004_->handle(*game_, request.method, query, request.body, cookies));
}

HttpResponse Village::handleControl(std::string_view path, std::string_view query) {
  FormFields args = parseForm(query).value_or(FormFields{});
  auto arg = [&](std::string_view name) { return fieldValue(args, name).value_or(""); };
  if (path == "state") return json(200, stateJsonLocked());
  if (path == "advance") {
    int n = toInt(arg("n"), 1, 1, 1000);
    for (int i = 0; i < n; ++i) {
      game_->advance();
      ++steps_;
    }
    return json(200, stateJsonLocked());
  }
  if (path == "fail-next") {
    failNext_ = toInt(arg("n"), 1, 0, 1000000);
    failStatus_ = toInt(arg("status"), 200, 200, 599);
    return json(200, stateJsonLocked());
  }
  if (path == "chatter") {
    game_->chatter();
    return json(200, stateJsonLocked());
  }
  if (path == "scenario") {
    std::string name = arg("name");
    const Scenario* s = findScenario(name, dialect_);
    if (!s)
      return json(404, "{\"error\":\"unknown scenario in this dialect\",\"name\":" + jsonString(name) +
                           ",\"dialect\":" + jsonString(dialectName(dialect_)) + "}");
    install(*s, toInt(arg("village"), 0, 0, 999999));
    return json(200, stateJsonLocked());
  }
  if (path == "scenarios") {
    std::string out = "{\"scenarios\":[";
    for (const Scenario& s : allScenarios()) {
      if (!availableIn(s, dialect_)) continue;
      if (out.back() != '[') out += ",";
      out += "{\"name\":" + jsonString(s.name) + ",\"description\":" + jsonString(s.description) + "}";
    }
    return json(200, out + "]}");
  }
  if (path == "reset-log") {
    log_.clear();
    logBytes_ = 0;
    return json(200, "{\"ok\":true}");
  }
  if (path == "shutdown") {
    shutdown_ = true;
    return json(200, "{\"ok\":true}");
  }
  if (path == "requests") {
    if (arg("format") == "lines") {
      HttpResponse r;
      r.contentType = "text/plain; charset=us-ascii";
      for (const LoggedRequest& l : log_) {
        std::string headers;
        for (const auto& [name, value] : l.request.headers) headers += name + ": " + value + "\r\n";
        r.body += std::to_string(l.seq) + "\t" + l.request.method + "\t" + l.request.target + "\t" +
                  base64(l.request.body) + "\t" + base64(headers) + "\n";
      }
      return r;
    }
    std::string out = "{\"requests\":[";
    for (const LoggedRequest& l : log_) {
      const HttpRequest& rq = l.request;
      if (out.back() != '[') out += ",\n";
      out += "{\"seq\":" + std::to_string(l.seq) + ",\"method\":" + jsonString(rq.method) +
             ",\"target\":" + jsonString(rq.target) + ",\"version\":" + jsonString(rq.version) + ",\"headers\":[";
      for (size_t i = 0; i < rq.headers.size(); ++i) {
        if (i) out += ",";
        out += "[" + jsonString(rq.headers[i].first) + "," + jsonString(rq.headers[i].second) + "]";
      }
      out += "],\"body_length\":" + std::to_string(rq.body.size()) + ",\"body_refused\":" +
             (rq.bodyRefused ? "true" : "false") + ",\"body_base64\":\"" + base64(rq.body) + "\"}";
    }
    return json(200, out + "]}");
  }
  return json(404, "{\"error\":\"unknown control path\"}");
}

}  // namespace village
