// The client's work on one completed page, from the browser's HTML to the
// page shown (and, in reverse-row mode, the rewritten page handed back to the
// browser): conversion to Shift_JIS, the cut to 511,999 bytes, the reading,
// the monitor, the reversal. Pages of 500 kB and of 5 MB (cut to 511,999
// bytes as the client keeps them), on a steady day (the phase already known).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "base/code_page.h"
#include "client/client.h"
#include "fakes/fakes.h"
#include "support/fake_desktop.h"
#include "page/page_limits.h"
#include "page_fixtures.h"
#include "settings/settings.h"

namespace jinro {
namespace {

constexpr char16_t kUrl[] = u"http://127.0.0.1:8399/jinro/cgi_jinro.cgi";

// A program folder and a jinro.ini path of the run's own, so that the
// settings are the defaults; neither is written on a steady day.
struct ScratchFolder {
  std::string path;
  ScratchFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "jinro-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    path = tmpl + "/";
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

const std::string& scratchFolder() {
  static const ScratchFolder folder;
  return folder.path;
}

// A window that has followed the game to this day page already, on fakes.
struct SteadyClient {
  SteadyClient(const std::u16string& html, bool reverse)
      : client(fake::desktopOf(d), scratchFolder()) {
    client.start();
    if (reverse) client.toggleReverseRows();
    // The game pages before this one: the first sets the phase; the page
    // buffers have been used before, as after any refresh.
    for (int i = 0; i < 2; ++i) {
      client.documentComplete(kUrl, html);
      // A rewritten page shown from memory completes in turn.
      if (!d.browser.shown.empty()) client.documentComplete(kUrl, u"");
    }
  }
  fake::FakeDesktop d;
  Client client;
};

// Each completion is measured on a window of its own, as a player's refresh
// finds it: the pages before have been seen, their buffers are there.
void documentComplete(benchmark::State& state, size_t bytes, int rows, bool reverse) {
  const std::u16string html = shiftJisToUtf16(fixtures::dayPage(bytes, rows));
  setSettingsFileOverride(scratchFolder() + "jinro.ini");
  bool steady = true;
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<SteadyClient>(html, reverse);
    state.ResumeTiming();
    window->client.documentComplete(kUrl, html);
    state.PauseTiming();
    // The 5 MB page loses its form to the cut: a titled page that is not a
    // game page, read the same way on every completion.
    steady = steady && !window->d.window.caption.empty() && window->d.sound.calls.empty() &&
             (bytes > kPageTextLimit || window->client.monitor().lastPhase() == Phase::day);
    window.reset();
    state.ResumeTiming();
  }
  if (!steady) state.SkipWithError("the page was not read as a steady page");
  setSettingsFileOverride("");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(html.size() * 2));
}

void BM_DocumentComplete_500k(benchmark::State& s) { documentComplete(s, 500000, 1000, false); }
void BM_DocumentComplete_500k_Reverse(benchmark::State& s) { documentComplete(s, 500000, 1000, true); }
void BM_DocumentComplete_5M(benchmark::State& s) { documentComplete(s, 5000000, 10000, false); }
void BM_DocumentComplete_5M_Reverse(benchmark::State& s) { documentComplete(s, 5000000, 10000, true); }

BENCHMARK(BM_DocumentComplete_500k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocumentComplete_500k_Reverse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocumentComplete_5M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocumentComplete_5M_Reverse)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace jinro
