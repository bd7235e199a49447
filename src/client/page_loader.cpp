#include "client/page_loader.h"

#include "jinro/server_base_url.h"

namespace jinro {

std::string refreshRequestHeaders() {
  std::string headers = "Content-Type: application/x-www-form-urlencoded\nReferer: ";
  headers += kServerBaseUrl;
  headers += "cgi_jinro.cgi";
  return headers;
}

}  // namespace jinro
