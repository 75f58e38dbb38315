// The pattern test on one very long field, with the two patterns the
// configuration scan uses: the regular mirror found only at the field's end,
// and the test-server pattern, which this field does not match at all. The
// field is made of near misses (other mirrors, the test server outside its
// test folders), which is what makes the greedy matcher retry.
#include <benchmark/benchmark.h>

#include <string>

#include "shared/BuildHosts.h"
#include "shared/Wildcard.h"

namespace {

std::wstring RegularPattern() {
  return L"*" + std::wstring(updstart::hosts::kRegularMirrors[1]) + L"*";
}

std::wstring TestServerPattern() {
  std::wstring_view host = updstart::hosts::kTestServer;
  return L"*" + std::wstring(host.substr(host.find(L'-'))) + L"/test/*";
}

std::wstring LongField(std::size_t length) {
  const std::wstring tail = L" http://" + std::wstring(updstart::hosts::kRegularMirrors[1]);
  std::wstring field;
  field.reserve(length);
  for (std::size_t i = 0; field.size() + tail.size() < length; ++i) {
    field += L"<mirror url=\"http://" + std::wstring(updstart::hosts::kRegularMirrors[2 + i % 19]) +
             L"/bases/av\" weight=\"" + std::to_wstring(i % 100) + L"\"/> ";
    if (i % 4 == 0) {
      field += L"<channel url=\"ftp://" + std::wstring(updstart::hosts::kTestServer) +
               L"/pub/bases\"/> ";
    }
  }
  field.resize(length - tail.size(), L' ');
  return field + tail;
}

void Match(benchmark::State& state, const std::wstring& pattern, bool expected) {
  const std::wstring field = LongField(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    bool matched = updstart::WildcardMatch(field, pattern);
    if (matched != expected) state.SkipWithError("unexpected match result");
    benchmark::DoNotOptimize(matched);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void RegularMirror(benchmark::State& state) { Match(state, RegularPattern(), true); }
void TestServer(benchmark::State& state) { Match(state, TestServerPattern(), false); }

constexpr int64_t kMiB = 1 << 20;

BENCHMARK(RegularMirror)
    ->Arg(10 * kMiB)
    ->Arg(20 * kMiB)
    ->Arg(200 * kMiB)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(TestServer)
    ->Arg(10 * kMiB)
    ->Arg(20 * kMiB)
    ->Arg(200 * kMiB)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
