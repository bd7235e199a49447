// The reading of a full game page (511,999 bytes, 1,000 speech rows, the
// login form at the end) and the page monitor's decision on it, over the fast
// text primitives and, with the very same algorithm, over the reference
// primitives that copy and lower the rest of the page at every search. Both
// follow a steady day page (the phase already known), so they do the same
// work.
// Also: the speech text of a 500 KB page and the day title of the log.
#include <benchmark/benchmark.h>

#include <string>

#include "client/page_monitor.h"
#include "page/day_log.h"
#include "page/page_reading_impl.h"
#include "page/speech_copy_impl.h"
#include "page_fixtures.h"
#include "reference/text_scan_reference.h"
#include "unit/default_triggers.h"

namespace {

using jinro::FastTextOps;
using jinro::reference::ReferenceTextOps;

constexpr char kUrl[] = "http://127.0.0.1:8399/jinro/cgi_jinro.cgi";

const std::string& fullDayPage() {
  static const std::string page = jinro::fixtures::dayPage(jinro::kPageTextLimit, 1000);
  return page;
}

const std::string& speechPage() {
  static const std::string page = jinro::fixtures::dayPage(500000, 1000);
  return page;
}

template <class Ops>
void analyseFullPage(benchmark::State& state) {
  const std::string& page = fullDayPage();
  jinro::Settings settings;
  jinro::test_files::applyDefaultTriggers(settings);
  jinro::PageMonitor monitor(settings);
  const jinro::PageTriggers triggers = jinro::pageTriggersFrom(settings);
  // A steady day: the phase is known, nothing starts or launches.
  monitor.follow(jinro::readPage(triggers, page, kUrl));
  jinro::PageReaction reaction;
  for (auto _ : state) {
    reaction = monitor.follow(jinro::analysis::readPageWith<Ops>(triggers, page, kUrl));
    benchmark::DoNotOptimize(reaction.status.data());
  }
  if (!reaction.gameForm || reaction.gameForm->postBody.find("FORMID=") == std::string::npos ||
      monitor.lastPhase() != jinro::Phase::day || !reaction.speechCopy || !reaction.alarms.empty() ||
      reaction.launchDayLog) {
    state.SkipWithError("the page was not read as a steady day page");
  }
  state.counters["page_bytes"] = static_cast<double>(page.size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}

void BM_AnalysePage_Fast(benchmark::State& s) { analyseFullPage<FastTextOps>(s); }
void BM_AnalysePage_ReferenceOps(benchmark::State& s) { analyseFullPage<ReferenceTextOps>(s); }

template <class Ops>
void speechOfPage(benchmark::State& state) {
  const std::string& page = speechPage();
  std::string out;
  for (auto _ : state) {
    auto r = jinro::speech::speechTextWith<Ops>(page, false, out);
    benchmark::DoNotOptimize(r);
  }
  if (out.empty()) state.SkipWithError("no speech text");
  state.counters["out_bytes"] = static_cast<double>(out.size());
}

void BM_SpeechText_Fast(benchmark::State& s) { speechOfPage<FastTextOps>(s); }
void BM_SpeechText_ReferenceOps(benchmark::State& s) { speechOfPage<ReferenceTextOps>(s); }

void BM_DayLogTitle(benchmark::State& state) {
  const std::string& page = fullDayPage();
  for (auto _ : state) benchmark::DoNotOptimize(jinro::dayLogTitle(page));
}

BENCHMARK(BM_AnalysePage_Fast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysePage_ReferenceOps)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SpeechText_Fast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SpeechText_ReferenceOps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayLogTitle)->Unit(benchmark::kMicrosecond);

}  // namespace
