#include "client/page_loader.h"

#include "base/server_url.h"

namespace jinro {

std::string refreshRequestHeaders() {
  std::string headers = "Content-Type: application/x-www-form-urlencoded\nReferer: ";
  headers += serverBaseUrl();
  headers += "cgi_jinro.cgi";
  return headers;
}

}  // namespace jinro
