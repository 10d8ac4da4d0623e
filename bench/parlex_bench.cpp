// TlngString construction, as every form builds its own catalogue, and String look-ups spread
// over all seven tables, the numbers between them and every severity byte.

#include <benchmark/benchmark.h>

#include <random>
#include <string_view>
#include <vector>

#include "parlex/Lngstring.h"
#include "platform/registry.h"

namespace {

constexpr int kLookups = 10000;

// A registry that names German, so that each construction also reads and compares the value.
class GermanRegistry {
 public:
  GermanRegistry() : scoped_(hive_) {
    platform::ScopedKey key;
    constexpr std::string_view kGerman("German", 7);
    platform::RegCreateKeyEx(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Vorante\\Quillon", platform::KEY_SET_VALUE,
                             key.out(), nullptr);
    platform::RegSetValueEx(key.get(), "Language", platform::REG_SZ,
                            reinterpret_cast<const platform::BYTE*>(kGerman.data()), kGerman.size());
  }

 private:
  platform::Hive hive_;
  platform::ScopedHive scoped_;
};

// Numbers 0-699 in a fixed random order, each with a severity byte of 0 to 4.
std::vector<std::int32_t> spreadOfCodes() {
  std::mt19937 random(1);
  std::uniform_int_distribution<std::int32_t> number(0, 699);
  std::uniform_int_distribution<std::int32_t> severity(0, 4);
  std::vector<std::int32_t> codes(kLookups);
  for (std::int32_t& code : codes) code = severity(random) << 24 | number(random);
  return codes;
}

void Construct(benchmark::State& state) {
  GermanRegistry registry;
  for (auto _ : state) {
    TlngString catalogue;
    benchmark::DoNotOptimize(catalogue.String(0));
  }
  if (TlngString::fechLanguage() != 2) state.SkipWithError("the registry does not name German");
}

void Lookups10000(benchmark::State& state) {
  const TlngString catalogue;
  const std::vector<std::int32_t> codes = spreadOfCodes();
  for (auto _ : state)
    for (std::int32_t code : codes) benchmark::DoNotOptimize(catalogue.String(code));
  state.counters["per_lookup"] =
      benchmark::Counter(kLookups, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(Construct)->Unit(benchmark::kMicrosecond);
BENCHMARK(Lookups10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
