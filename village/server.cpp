#include "server.h"

#include <httplib.h>

#include <charconv>
#include <thread>

namespace village {

std::optional<BaseUrl> parseBaseUrl(std::string_view url, std::string* why) {
  auto fail = [&](const char* reason) -> std::optional<BaseUrl> {
    if (why) *why = reason;
    return std::nullopt;
  };
  constexpr std::string_view scheme = "http://";
  if (!url.starts_with(scheme)) return fail("the URL must start with http://");
  url.remove_prefix(scheme.size());
  size_t slash = url.find('/');
  if (slash == std::string_view::npos) return fail("the URL must end with /");
  std::string_view authority = url.substr(0, slash);
  BaseUrl out;
  out.path = std::string(url.substr(slash));
  if (out.path.back() != '/') return fail("the URL must end with /");
  if (out.path.find('?') != std::string::npos || out.path.find('#') != std::string::npos)
    return fail("the URL must not hold a query or fragment");
  size_t colon = authority.rfind(':');
  out.host = std::string(authority.substr(0, colon));
  if (colon != std::string_view::npos) {
    std::string_view p = authority.substr(colon + 1);
    auto [end, ec] = std::from_chars(p.data(), p.data() + p.size(), out.port);
    if (ec != std::errc() || end != p.data() + p.size() || out.port < 0 || out.port > 65535)
      return fail("the URL's port is not a number from 0 to 65535");
  }
  if (out.host != "127.0.0.1" && out.host != "localhost")
    return fail("the village listens on 127.0.0.1 only: the URL's host must be 127.0.0.1 or localhost");
  return out;
}

struct VillageServer::Impl {
  explicit Impl(Village& v) : village(v) {}
  Village& village;
  httplib::Server server;
  std::thread thread;
};

namespace {

HttpRequest fromHttplib(const httplib::Request& req) {
  HttpRequest r;
  r.method = req.method;
  r.target = req.target;
  r.version = req.version;
  for (const auto& [name, value] : req.headers) {
    // httplib adds these itself; they were not sent.
    if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT") continue;
    r.headers.emplace_back(name, value);
  }
  r.body = req.body;
  return r;
}

void apply(const HttpResponse& from, httplib::Response& to) {
  to.status = from.status;
  for (const auto& [name, value] : from.headers) to.set_header(name, value);
  to.set_header("Cache-Control", "no-store");
  to.set_content(from.body, from.contentType);
}

}  // namespace

VillageServer::VillageServer(Village& village) : impl_(std::make_unique<Impl>(village)) {
  httplib::Server& s = impl_->server;
  Village* v = &village;
  auto handler = [v](const httplib::Request& req, httplib::Response& res) { apply(v->handle(fromHttplib(req)), res); };
  s.Get(".*", handler);
  s.Post(".*", handler);
  s.Put(".*", handler);
  s.Patch(".*", handler);
  s.Delete(".*", handler);
  s.Options(".*", handler);
  s.set_payload_max_length(kMaxBodyBytes);
  s.set_keep_alive_max_count(1000);
  // Requests that never reached a handler: a body over the limit, a request
  // line or header that httplib refused. Responses of the village itself
  // already have a body and are left alone.
  s.set_error_handler(httplib::Server::HandlerWithResponse([v](const httplib::Request& req, httplib::Response& res) {
    if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
    if (res.status == 413) {
      HttpRequest r = fromHttplib(req);
      r.body.clear();
      r.bodyRefused = true;
      apply(v->handle(r), res);
    } else {
      res.set_content(standaloneErrorPage("リクエストを受け付けられませんでした。"), "text/html; charset=Shift_JIS");
    }
    return httplib::Server::HandlerResponse::Handled;
  }));
  s.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    res.status = 500;
    res.set_content(standaloneErrorPage("村で問題が起きました。"), "text/html; charset=Shift_JIS");
  });
}

VillageServer::~VillageServer() { stop(); }

int VillageServer::bind(int port) {
  if (port == 0) return impl_->server.bind_to_any_port("127.0.0.1");
  return impl_->server.bind_to_port("127.0.0.1", port) ? port : -1;
}

void VillageServer::start() {
  impl_->thread = std::thread([this] { impl_->server.listen_after_bind(); });
}

void VillageServer::stop() {
  if (impl_->thread.joinable()) {
    impl_->server.stop();
    impl_->thread.join();
  }
}

}  // namespace village
