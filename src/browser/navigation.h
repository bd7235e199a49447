#pragma once
// The client's own navigations: the start page (GET) and the form post that
// refreshes the current game page.
#include <string>

#include "app/client_controller.h"

namespace jinro {

// "Content-Type: application/x-www-form-urlencoded\nReferer: <base>cgi_jinro.cgi"
std::string requestHeaders();

void navigateTo(ClientController& c, const std::string& url);
// Posts exactly postBodyLength bytes of postBody to url with requestHeaders().
void navigateWithPost(ClientController& c, const std::string& url);

}  // namespace jinro
