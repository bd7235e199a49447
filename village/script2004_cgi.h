#pragma once
// cgi_jinro.cgi as the 2004 game script answers it: the registration, the
// village select and login, and the in-village POSTs in which the player is
// known only by TXTPNO. Not thread-safe: the Village serialises every call.
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game.h"

namespace village::script2004 {

struct Reply {
  int status = 200;
  std::string utf8;  // the page, before it is sent as Shift_JIS
  std::vector<std::pair<std::string, std::string>> headers;
};

class Cgi {
 public:
  explicit Cgi(uint32_t seed) : rng_(seed) {}

  // One request to cgi_jinro.cgi: query is the raw query string, body the
  // raw POST body, cookies the Cookie header.
  Reply handle(Game& g, std::string_view method, std::string_view query, std::string_view body,
               std::string_view cookies);
  // The FORMID printed in the latest page.
  uint64_t lastFormId() const { return printed_; }

  // A POST made from inside the village (TXTLOGIN=2).
  static bool isInGamePost(std::string_view method, std::string_view body);

 private:
  Reply inVillage(Game& g, int pno, std::string command, const std::vector<std::pair<std::string, std::string>>& f);
  Reply login(Game& g, const std::vector<std::pair<std::string, std::string>>& f);
  Reply registration(Game& g, const std::vector<std::pair<std::string, std::string>>& f);
  uint64_t nextFormId();

  std::mt19937 rng_;
  long lastPosted_ = 0;  // the FORMID of the latest in-village POST
  uint64_t printed_ = 0;
};

}  // namespace village::script2004
