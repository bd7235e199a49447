#include "script2004_cgi.h"

#include <algorithm>
#include <charconv>

#include "script2004_pages.h"
#include "text.h"

namespace village::script2004 {
namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

std::string get(const Fields& f, std::string_view name) { return fieldValue(f, name).value_or(""); }

// The script reads numbers as Perl does: what is not a number is 0.
long number(std::string_view s) {
  long v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() ? v : 0;
}

std::string trim(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\n')) s.pop_back();
  size_t start = s.find_first_not_of(" \n");
  return start == std::string::npos ? std::string() : s.substr(start);
}

// A message as the script keeps it: no commas (its log is comma-separated),
// no trailing line breaks.
std::string message(std::string_view raw, size_t maxChars) {
  std::string text = cleanPlayerText(raw, maxChars);
  text.erase(std::remove(text.begin(), text.end(), ','), text.end());
  return trim(text);
}

// A name shows on every page, so it must not hold the texts the pages are
// read by.
bool isFairName(const std::string& name) {
  static const char* const kReserved[] = {"生存中", "死　亡", "事件前日", "日目", "◆", "勝利", "投票", "能力対象",
                                          "正しい入り口", "txt", "formid", "villageno", "cmbplayer", "command",
                                          "clstd"};
  std::string lower = name;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return std::none_of(std::begin(kReserved), std::end(kReserved),
                      [&](const char* r) { return lower.find(r) != std::string::npos; });
}

bool isPlainPassword(std::string_view s) {
  return !s.empty() && s.size() <= 16 && std::all_of(s.begin(), s.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

std::string cookie(std::string_view header, std::string_view name) {
  size_t pos = 0;
  while (pos < header.size()) {
    size_t end = header.find(';', pos);
    if (end == std::string_view::npos) end = header.size();
    std::string_view piece = header.substr(pos, end - pos);
    while (!piece.empty() && piece.front() == ' ') piece.remove_prefix(1);
    size_t eq = piece.find('=');
    if (eq != std::string_view::npos && piece.substr(0, eq) == name) {
      auto fields = parseForm("v=" + std::string(piece.substr(eq + 1)));
      return fields ? get(*fields, "v") : std::string();
    }
    pos = end + 1;
  }
  return "";
}

std::string setCookie(std::string_view name, std::string_view value) {
  std::string out = std::string(name) + "=";
  static const char* hex = "0123456789ABCDEF";
  for (unsigned char c : value) {
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_') {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    }
  }
  return out + "; expires=Thu, 1-Jan-2030 00:00:00 GMT;";
}

Reply page(std::string utf8) {
  Reply r;
  r.utf8 = std::move(utf8);
  return r;
}

}  // namespace

uint64_t Cgi::nextFormId() {
  printed_ = rng_() % 1000000 + 1;
  return printed_;
}

bool Cgi::isInGamePost(std::string_view method, std::string_view body) {
  if (method != "POST") return false;
  auto f = parseForm(body);
  return f && get(*f, "TXTLOGIN") == "2";
}

Reply Cgi::handle(Game& g, std::string_view method, std::string_view query, std::string_view body,
                  std::string_view cookies) {
  if (method != "POST") {
    if (query == "entry") return page(entryPage(g));
    if (query == "room") return page(roomPage(g));
    return page(wrongEntrancePage());
  }
  auto parsed = parseForm(body);
  if (!parsed) return page(wrongEntrancePage());
  const Fields& f = *parsed;
  std::string loginFlag = get(f, "TXTLOGIN");
  std::string command = get(f, "COMMAND");
  if (loginFlag.empty()) {
    if (command != "ENTER") return page(wrongEntrancePage());
    std::string village = std::to_string(g.villageNo());
    Reply r = page(loginPage(g, static_cast<int>(number(cookie(cookies, "PLAYERNO" + village))),
                             cookie(cookies, "PASSWORD" + village)));
    r.headers.emplace_back("Set-Cookie", setCookie("SELECTROOM", get(f, "VILLAGENO")));
    return r;
  }
  if (number(get(f, "VILLAGENO")) != g.villageNo()) return page(resultPage(g, "その村はありません。", nextFormId()));
  if (loginFlag == "1") {
    if (command == "ENTRY") return registration(g, f);
    if (command == "LOGIN") return login(g, f);
    return page(wrongEntrancePage());
  }
  if (loginFlag != "2") return page(wrongEntrancePage());
  // A form sent twice (its FORMID again) only shows the page again.
  long formId = number(get(f, "FORMID"));
  if (formId == lastPosted_) command.clear();
  lastPosted_ = formId;
  return inVillage(g, static_cast<int>(number(get(f, "TXTPNO"))), command, f);
}

Reply Cgi::login(Game& g, const Fields& f) {
  std::string player = get(f, "CMBPLAYER");
  std::string pass = get(f, "TXTPASS");
  std::string village = std::to_string(g.villageNo());
  long no = number(player);
  Reply r;
  const Villager* me = no >= 1 && no <= kMaxVillagers ? g.login(static_cast<int>(no), pass) : nullptr;
  if (no == 0)
    r = page(villagePage(g, nullptr, nextFormId()));
  else if (me)
    r = page(villagePage(g, me, nextFormId()));
  else
    r = page(resultPage(g, "パスワードが正しくありません。", nextFormId()));
  // The browser keeps both, right or wrong, to fill in the form next time.
  r.headers.emplace_back("Set-Cookie", setCookie("PLAYERNO" + village, player));
  r.headers.emplace_back("Set-Cookie", setCookie("PASSWORD" + village, pass));
  return r;
}

Reply Cgi::registration(Game& g, const Fields& f) {
  std::string name = trim(cleanPlayerText(get(f, "TXTNAME"), 10));
  std::string pass = get(f, "TXTPASS");
  bool complete = !name.empty() && !get(f, "TXTPROFILE").empty() && !pass.empty() && !get(f, "TXTHN").empty() &&
                  !get(f, "TXTMAIL").empty();
  std::string text;
  if (!complete || name.find('\n') != std::string::npos || !isFairName(name) || !isPlainPassword(pass)) {
    text = "入力項目が正しくありません。";
  } else if (g.phase() != Phase::Lobby) {
    text = "申し訳ありません。既にゲームが開始しています。";
  } else if (static_cast<int>(g.villagers().size()) >= kMaxVillagers) {
    text = "申し訳ありません。既に２２名登録されています。";
  } else if (int no = g.join(name, pass, true)) {
    text = "アナタは" + std::to_string(no) + "人目の村民として登録が完了しました。";
  } else {
    text = "申し訳ありません。この村の登録は締め切られました。";
  }
  return page(resultPage(g, text, nextFormId()));
}

Reply Cgi::inVillage(Game& g, int pno, std::string command, const Fields& f) {
  const Villager* me = pno == kSpectatorNo ? nullptr : g.find(pno);
  if (me && !command.empty()) {
    Phase p = g.phase();
    int target = static_cast<int>(number(get(f, "CMBPLAYER")));
    std::string text = message(get(f, "TXTMSG"), 400);
    bool speaks = me->alive || p == Phase::Over;
    // Speech stops at sunset and at night.
    bool open = p == Phase::Lobby || p == Phase::Day || p == Phase::Over;
    if ((command == "MSG" || command == "MSG2" || command == "MSG3") && speaks && open && !text.empty()) {
      g.say(me->no, text, command == "MSG2" ? 1 : command == "MSG3" ? -1 : 0);
    } else if (command == "MSG0" && !me->alive && p != Phase::Over && !text.empty()) {
      g.say(me->no, text);
    } else if (command == "VOTE" && !g.votedFor(me->no)) {
      g.vote(me->no, target);
    } else if (command == "SILENT") {
      g.keepSilent(me->no);
    } else if ((command == "KILL" && me->role == Role::Wolf) || (command == "FORTUNE" && me->role == Role::Seer) ||
               (command == "GUARD" && me->role == Role::Hunter)) {
      if (!g.actedOn(me->no)) g.act(me->no, target);
    }
  }
  return page(villagePage(g, me, nextFormId()));
}

}  // namespace village::script2004
