#include "browser/navigation.h"

#include <algorithm>
#include <string_view>

#include "jinro/server_base_url.h"
#include "platform/browser.h"

namespace jinro {

std::string requestHeaders() {
  std::string headers = "Content-Type: application/x-www-form-urlencoded\nReferer: ";
  headers += kServerBaseUrl;
  headers += "cgi_jinro.cgi";
  return headers;
}

void navigateTo(ClientController& c, const std::string& url) {
  if (c.ports.browser == nullptr) return;
  c.ports.browser->navigate(url);
}

void navigateWithPost(ClientController& c, const std::string& url) {
  if (c.ports.browser == nullptr) return;
  // The body is the first postBodyLength bytes of postBody, never more than
  // the text actually holds.
  const size_t length = std::min<size_t>(c.postBodyLength, c.postBody.size());
  const std::string target = url;  // the caller's buffer may change under a nested event
  c.ports.browser->navigateWithPost(target, std::string_view(c.postBody).substr(0, length), requestHeaders());
}

}  // namespace jinro
