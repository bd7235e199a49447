// findText on a full page (511,999 bytes), against the reference that copies
// and lowers the rest of the page at every call; UTF-16 to Shift_JIS of a
// 500 kB page, table against iconv.
#include <benchmark/benchmark.h>

#include <string>

#include "base/code_page.h"
#include "base/text_scan.h"
#include "page_fixtures.h"
#include "reference/text_scan_reference.h"

namespace {

const std::string& fullPage() {
  static const std::string page = jinro::fixtures::dayPage(jinro::kSearchTextLimit, 1000);
  return page;
}

// "<B>村民登録書</B>": absent from a game page, so the whole page is scanned.
const std::string kAbsent = "<B>\x91\xBA\x96\xAF\x93\x6F\x98\x5E\x8F\x91</B>";
// Near the end of the page, after every speech.
const std::string kNearEnd = "name=\"FORMID\"";
// A marker of the style block near the top of the page.
const std::string kStyleMarker = "background-color";

template <class Find>
void searchFullPage(benchmark::State& state, const std::string& pattern, Find find) {
  const std::string& page = fullPage();
  for (auto _ : state) benchmark::DoNotOptimize(find(page, 0, pattern));
  state.counters["page_bytes"] = static_cast<double>(page.size());
}

void BM_FindText_Absent(benchmark::State& s) { searchFullPage(s, kAbsent, jinro::findText); }
void BM_FindText_NearEnd(benchmark::State& s) { searchFullPage(s, kNearEnd, jinro::findText); }
void BM_FindText_JapaneseAbsent(benchmark::State& s) {
  // "人狼勝利": first byte 90, common in the page's Japanese text.
  searchFullPage(s, "\x90\x6C\x98\x54\x8F\x9F\x97\x98", jinro::findText);
}
void BM_FindText_LettersAbsent(benchmark::State& s) { searchFullPage(s, "COLOR: REDDISH", jinro::findText); }
void BM_FindText_MarkerNearStart(benchmark::State& s) {
  // What the analysis does most: a marker near the start.
  searchFullPage(s, kStyleMarker, jinro::findText);
}
void BM_ReferenceFindText_Absent(benchmark::State& s) { searchFullPage(s, kAbsent, jinro::reference::findText); }
void BM_ReferenceFindText_NearEnd(benchmark::State& s) { searchFullPage(s, kNearEnd, jinro::reference::findText); }

void BM_ReplaceAll_DotSlash(benchmark::State& state) {
  // Every "./" of a full page replaced by a 28-byte base URL, as the log launch does.
  const std::string page = jinro::fixtures::dayPage(450000, 1000);
  for (auto _ : state) {
    state.PauseTiming();
    std::string text = page;
    state.ResumeTiming();
    benchmark::DoNotOptimize(jinro::replaceAll(text, "./", "http://127.0.0.1:8399/jinro/"));
  }
}

// A full page as the browser hands it over, converted back to Shift_JIS as
// the client does with every completed page.
const std::u16string& fullPageUtf16() {
  static const std::u16string page = jinro::shiftJisToUtf16(jinro::fixtures::dayPage(500000, 1000));
  return page;
}

void BM_Utf16ToShiftJis_500k(benchmark::State& state) {
  const std::u16string& page = fullPageUtf16();
  for (auto _ : state) benchmark::DoNotOptimize(jinro::utf16ToShiftJis(page));
  state.counters["page_units"] = static_cast<double>(page.size());
}
void BM_Utf16ToShiftJisIconv_500k(benchmark::State& state) {
  const std::u16string& page = fullPageUtf16();
  for (auto _ : state) benchmark::DoNotOptimize(jinro::detail::utf16ToShiftJisIconv(page));
}

BENCHMARK(BM_FindText_Absent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindText_NearEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindText_JapaneseAbsent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindText_LettersAbsent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindText_MarkerNearStart)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReferenceFindText_Absent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReferenceFindText_NearEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReplaceAll_DotSlash)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Utf16ToShiftJis_500k)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Utf16ToShiftJisIconv_500k)->Unit(benchmark::kMicrosecond);

}  // namespace
