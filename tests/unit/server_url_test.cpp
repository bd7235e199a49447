// The checks a game server's base URL passes before the client uses it.
#include <gtest/gtest.h>

#include <string>

#include "base/server_url.h"
#include "jinro/server_base_url.h"

namespace jinro {
namespace {

TEST(ServerUrl, TakesOnlyAFolderOnAWebServer) {
  for (const char* good : {"http://127.0.0.1:8400/jinro/", "https://example.org/", "http://example.org/a/b/"}) {
    EXPECT_TRUE(checkServerBaseUrl(good)) << good;
  }
  const struct {
    const char* url;
    const char* reason;
  } bad[] = {
      {"ftp://example.org/", "http:// or https://"},  {"example.org/jinro/", "http:// or https://"},
      {"http:///jinro/", "no host"},                  {"http://example.org/jinro", "end with /"},
      {"http://example.org/./", "./"},                {"http://example.org/a'b/", "quotes"},
      {"http://example.org/a\"b/", "quotes"},         {"http://example.org/a\\b/", "backslashes"},
      {"http://example.org/a b/", "spaces"},          {"", "http:// or https://"},
  };
  for (const auto& b : bad) {
    const Result<void> r = checkServerBaseUrl(b.url);
    ASSERT_FALSE(r) << b.url;
    EXPECT_NE(r.error().find(b.reason), std::string::npos) << b.url << ": " << r.error();
  }
}

TEST(ServerUrl, ARefusedUrlLeavesTheOneInUse) {
  EXPECT_EQ(serverBaseUrl(), kServerBaseUrl);
  EXPECT_FALSE(useServerBaseUrl("http://example.org/jinro"));
  EXPECT_EQ(serverBaseUrl(), kServerBaseUrl);
  ASSERT_TRUE(useServerBaseUrl("https://example.org/mura/"));
  EXPECT_EQ(serverBaseUrl(), "https://example.org/mura/");
  ASSERT_TRUE(useServerBaseUrl(kServerBaseUrl));
}

}  // namespace
}  // namespace jinro
