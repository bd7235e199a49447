#pragma once
// The village served over HTTP on 127.0.0.1 (cpp-httplib).
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "village.h"

namespace village {

struct BaseUrl {
  std::string host;
  int port = 80;
  std::string path;  // starts and ends with '/'
};

// Parses an http:// base URL whose host is 127.0.0.1 or localhost. Port 0
// means any free port. On failure returns nullopt and says why in *why.
std::optional<BaseUrl> parseBaseUrl(std::string_view url, std::string* why);

class VillageServer {
 public:
  explicit VillageServer(Village& village);
  ~VillageServer();
  VillageServer(const VillageServer&) = delete;
  VillageServer& operator=(const VillageServer&) = delete;

  // Binds 127.0.0.1 at port (0: any free port). Returns the port, or -1.
  int bind(int port);
  // Serves in a thread of its own until stop().
  void start();
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace village
