// reverseRowsAndFixLinks on a ~500 KB game page with 1,000 speech rows and
// 2,000 "./" links: the real rewrite, the same algorithm over the reference
// primitives, and the step-by-step reference rewrite.
#include <benchmark/benchmark.h>

#include <string>

#include "jinro/server_base_url.h"
#include "page/row_reversal.h"
#include "page/row_reversal_impl.h"
#include "page_fixtures.h"
#include "reference/row_reversal_reference.h"
#include "reference/text_scan_reference.h"

namespace {

const std::string& bigPage() {
  static const std::string page = [] {
    jinro::fixtures::PageShape shape;
    shape.bytes = 450000;  // room for the 2,002 base URLs within 511,999 bytes
    shape.rows = 1000;
    shape.gameOver = true;
    return jinro::fixtures::gamePage(shape);
  }();
  return page;
}

template <class Rewrite>
void rewritePage(benchmark::State& state, Rewrite rewrite) {
  const std::string& page = bigPage();
  size_t length = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string text = page;
    state.ResumeTiming();
    length = rewrite(text);
    benchmark::DoNotOptimize(text.data());
  }
  if (length == 0) state.SkipWithError("the page was not rewritten");
  state.counters["in_bytes"] = static_cast<double>(page.size());
  state.counters["out_bytes"] = static_cast<double>(length);
}

void BM_Reversal_Fast(benchmark::State& state) {
  rewritePage(state, [](std::string& t) { return jinro::reverseRowsAndFixLinks(t, true); });
}
void BM_Reversal_TemplateOverReferenceOps(benchmark::State& state) {
  rewritePage(state, [](std::string& t) {
    return jinro::reversal::reverseRowsAndFixLinksWith<jinro::reference::ReferenceTextOps>(t, true,
                                                                                           jinro::kServerBaseUrl);
  });
}
void BM_Reversal_Reference(benchmark::State& state) {
  rewritePage(state, [](std::string& t) {
    return jinro::reference::reverseRowsAndFixLinks(t, true, jinro::kServerBaseUrl);
  });
}

BENCHMARK(BM_Reversal_Fast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reversal_TemplateOverReferenceOps)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Reversal_Reference)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
