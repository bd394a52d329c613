// Cataloguing speed: the merge sort the catalogue uses, against the full exchange sort whose
// order it reproduces, on realistic file names.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "base/CaseFold.h"
#include "base/Text.h"
#include "selector/Catalogue.h"

namespace {

std::vector<std::wstring> MakeNames(int count) {
    std::mt19937 generator(42);
    const std::wstring stems[] = {L"IMG_", L"Holiday ", L"DSC", L"wallpaper-", L"\u00c9t\u00e9 "};
    const std::wstring extensions[] = {L".jpg", L".JPG", L".jpeg", L".gif", L".bmp"};
    std::vector<std::wstring> names;
    names.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        names.push_back(stems[generator() % 5] + std::to_wstring(generator() % 1000000) +
                        extensions[generator() % 5]);
    }
    return names;
}

void Catalogue(benchmark::State& state) {
    const auto names = MakeNames(static_cast<int>(state.range(0)));
    int lastProgress = 0;
    for (auto _ : state) {
        auto copy = names;
        selector::SortCatalogue(copy, [&](int value) { lastProgress = value; });
        benchmark::DoNotOptimize(copy.data());
    }
    benchmark::DoNotOptimize(lastProgress);
}
BENCHMARK(Catalogue)->Arg(1000)->Arg(10000)->Arg(32767)->Unit(benchmark::kMillisecond);

void ExchangeSort(benchmark::State& state) {
    const auto names = MakeNames(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto copy = names;
        const std::size_t n = copy.size();
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 1; j < n; ++j) {
                if (base::CompareUtf16(base::LowerCase(copy[j - 1]),
                                         base::LowerCase(copy[j])) > 0) {
                    std::swap(copy[j - 1], copy[j]);
                }
            }
        }
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(ExchangeSort)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
