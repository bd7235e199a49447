// The village over real HTTP on 127.0.0.1: the request log, the control path,
// requests that are too large or not HTTP at all.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "server.h"
#include "village.h"

namespace village {
namespace {

std::string unbase64(const std::string& in) {
  std::string out;
  unsigned value = 0;
  int bits = 0;
  for (char c : in) {
    int d = c >= 'A' && c <= 'Z'   ? c - 'A'
            : c >= 'a' && c <= 'z' ? c - 'a' + 26
            : c >= '0' && c <= '9' ? c - '0' + 52
            : c == '+'             ? 62
            : c == '/'             ? 63
                                   : -1;
    if (d < 0) continue;
    value = value << 6 | static_cast<unsigned>(d);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((value >> bits) & 0xFF));
    }
  }
  return out;
}

struct LogLine {
  std::string seq, method, target, body, headers;
};

std::vector<LogLine> parseLines(const std::string& text) {
  std::vector<LogLine> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> cols;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      cols.push_back(line.substr(start, tab - start));
    cols.push_back(line.substr(start));
    if (cols.size() != 5) {
      ADD_FAILURE() << "bad log line: " << line;
      continue;
    }
    out.push_back({cols[0], cols[1], cols[2], unbase64(cols[3]), unbase64(cols[4])});
  }
  return out;
}

class VillageHttp : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = server_.bind(0);
    ASSERT_GT(port_, 0);
    server_.start();
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client_->set_connection_timeout(5);
    client_->set_read_timeout(10);
  }
  void TearDown() override { server_.stop(); }

  std::vector<LogLine> logged() {
    auto r = client_->Get("/__control/requests?format=lines");
    EXPECT_TRUE(r);
    return r ? parseLines(r->body) : std::vector<LogLine>{};
  }

  Village village_{"/jinro/", "day-night", 1};
  VillageServer server_{village_};
  int port_ = 0;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(VillageHttp, RequestLogHoldsTheBodyByteForByte) {
  // Raw Shift_JIS bytes (あ), their %-escapes, '+', a zero byte, CRLF.
  using namespace std::string_literals;
  const std::string body = "COMMAND=MSG&TXTMSG=\x82\xA0%82%A0+a%2Bb&x=\0\r\n&TXTPNO=3&TXTPASS=pass"s;
  ASSERT_EQ(body.size(), 61u);
  httplib::Headers headers = {{"Referer", "http://127.0.0.1:8399/jinro/cgi_jinro.cgi"}};
  auto r = client_->Post("/jinro/cgi_jinro.cgi?A=%41", headers, body, "application/x-www-form-urlencoded");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  client_->Get("/__control/state");  // control requests are not logged
  std::vector<LogLine> log = logged();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].method, "POST");
  EXPECT_EQ(log[0].target, "/jinro/cgi_jinro.cgi?A=%41");
  EXPECT_EQ(log[0].body, body);
  EXPECT_NE(log[0].headers.find("Referer: http://127.0.0.1:8399/jinro/cgi_jinro.cgi\r\n"), std::string::npos);
  EXPECT_NE(log[0].headers.find("Content-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
  // The JSON form carries the same bytes.
  auto json = client_->Get("/__control/requests");
  ASSERT_TRUE(json);
  size_t at = json->body.find("\"body_base64\":\"");
  ASSERT_NE(at, std::string::npos);
  at += 15;
  EXPECT_EQ(unbase64(json->body.substr(at, json->body.find('"', at) - at)), body);
  EXPECT_NE(json->body.find("[\"Referer\",\"http://127.0.0.1:8399/jinro/cgi_jinro.cgi\"]"), std::string::npos);
  // Forgotten on request.
  client_->Get("/__control/reset-log");
  EXPECT_TRUE(logged().empty());
}

TEST_F(VillageHttp, TooLargeBodyGetsAnErrorPageAndTheVillageGoesOn) {
  std::string big(kMaxBodyBytes + 4096, 'x');
  auto r = client_->Post("/jinro/cgi_jinro.cgi", big, "application/x-www-form-urlencoded");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 413);
  EXPECT_NE(r->body.find("<title>"), std::string::npos);
  auto json = client_->Get("/__control/requests");
  ASSERT_TRUE(json);
  EXPECT_NE(json->body.find("\"body_refused\":true"), std::string::npos);
  auto ok = client_->Get("/jinro/cgi_jinro.cgi?COMMAND=VIEW");
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->status, 200);
  EXPECT_EQ(ok->get_header_value("Content-Type"), "text/html; charset=Shift_JIS");
}

TEST_F(VillageHttp, GarbageOnTheSocketIsAnsweredAndForgotten) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port_));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  const char garbage[] = "\x82\xA0\x01 NOT HTTP AT ALL\r\n\r\n";
  ASSERT_GT(::send(fd, garbage, sizeof garbage - 1, 0), 0);
  char buffer[256];
  ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
  ::close(fd);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(buffer, 12), "HTTP/1.1 400");
  auto ok = client_->Get("/jinro/index2.html");
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->status, 200);
}

TEST_F(VillageHttp, ControlPathAdvancesAndSwitchesScenarios) {
  auto r = client_->Get("/__control/scenario?name=full-lobby");
  ASSERT_TRUE(r);
  EXPECT_NE(r->body.find("\"living\":15"), std::string::npos);
  r = client_->Post("/__control/advance", "", "text/plain");
  ASSERT_TRUE(r);
  EXPECT_NE(r->body.find("\"living\":16,\"villagers\":16,\"capacity\":16"), std::string::npos);
  r = client_->Get("/__control/advance?n=3");
  ASSERT_TRUE(r);
  EXPECT_NE(r->body.find("\"phase\":\"night\""), std::string::npos);
  EXPECT_NE(r->body.find("\"step\":4"), std::string::npos);
  r = client_->Get("/__control/scenario?name=nowhere");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 404);
  r = client_->Get("/__control/shutdown");
  ASSERT_TRUE(r);
  EXPECT_TRUE(village_.shutdownRequested());
}

TEST(VillageUrl, OnlyLocalHttpBaseUrlsAreServed) {
  std::string why;
  auto u = parseBaseUrl("http://127.0.0.1:8399/jinro/", &why);
  ASSERT_TRUE(u);
  EXPECT_EQ(u->port, 8399);
  EXPECT_EQ(u->path, "/jinro/");
  u = parseBaseUrl("http://localhost:0/", &why);
  ASSERT_TRUE(u);
  EXPECT_EQ(u->port, 0);
  EXPECT_EQ(parseBaseUrl("http://127.0.0.1/a/b/", &why)->port, 80);
  for (const char* bad : {"https://127.0.0.1:8399/jinro/", "http://example.org/jinro/", "http://0.0.0.0:80/",
                          "http://127.0.0.1:8399/jinro", "http://127.0.0.1:99999/", "http://127.0.0.1:x/",
                          "http://127.0.0.1", "ftp://127.0.0.1/"}) {
    EXPECT_FALSE(parseBaseUrl(bad, &why)) << bad;
    EXPECT_FALSE(why.empty());
  }
}

}  // namespace
}  // namespace village
