// The client's work on one completed page, from the browser's HTML to the
// end of the analysis (and, in reverse-row mode, the rewritten page handed
// back to the browser): conversion to Shift_JIS, the cut to the page buffer,
// the analysis, the reversal. Pages of 500 kB and of 5 MB (cut to 511,999
// bytes as the buffers hold them).
#include <benchmark/benchmark.h>

#include "browser/browser_events.h"
#include "page_fixtures.h"
#include "platform/code_page.h"
#include "platform/fake/fakes.h"
#include "settings/settings.h"

namespace jinro {
namespace {

const Settings& defaultSettings() {
  static const Settings s = [] {
    Settings settings;
    loadSoundSettings(settings);
    loadGeneralSettings(settings);
    return settings;
  }();
  return s;
}

void documentComplete(benchmark::State& state, size_t bytes, int rows, bool reverse) {
  const std::u16string html = shiftJisToUtf16(fixtures::dayPage(bytes, rows));
  for (auto _ : state) {
    state.PauseTiming();
    fake::FakePlatform platform;
    ClientController c(platform.ports());
    c.settings = defaultSettings();
    c.reverseRows = reverse ? 1 : 0;
    c.lastPhase = kPhaseDay;
    c.awaitingFirstGamePage = 0;
    BrowserEventSink sink(c);
    state.ResumeTiming();
    sink.onDocumentComplete(u"http://127.0.0.1:8399/jinro/cgi_jinro.cgi", html);
    benchmark::DoNotOptimize(c.pageText.data());
  }
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
