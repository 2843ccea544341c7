// The vendor drop-down over the real IEEE listing: filling it (PopulateCombo into the search's
// item store, with the address part as the main window asks for it) beside a plain copy of the
// same strings into a vector, and the narrowing a key press costs, from scratch and letter by
// letter as a user types. Goal: a key within one frame (16 ms).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/sim/machine.h"
#include "ui/vendor_list_search.h"
#include "vendors/nic_vendor.h"

namespace {

using vexav6::NICVendor;
using vexav6::ui::VendorListSearch;

const char* const kListing = "/usr/share/ieee-data/oui.txt";

class CopyList : public vexav6::VendorList {
  public:
    void AddItem(const std::string& item) override { items.push_back(item); }
    std::vector<std::string> items;
};

struct Fixture {
    Fixture() : vendor(machine.GetPlatform()) {
        vendor.ParseOUI(kListing);
        vendor.PopulateCombo(search, true);
    }
    vexav6::sim::Machine machine;
    NICVendor vendor;
    VendorListSearch search;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_FillBaselineVector(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        CopyList list;
        f.vendor.PopulateCombo(list, true);
        benchmark::DoNotOptimize(list.items.data());
    }
}
BENCHMARK(BM_FillBaselineVector)->Unit(benchmark::kMillisecond);

void BM_FillSearch(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        VendorListSearch search;
        f.vendor.PopulateCombo(search, true);
        benchmark::DoNotOptimize(search.Count());
    }
}
BENCHMARK(BM_FillSearch)->Unit(benchmark::kMillisecond);

// One key: the whole listing searched for a query (the first letter typed, a pasted prefix).
void BM_KeyFromScratch(benchmark::State& state, const char* query) {
    Fixture& f = Shared();
    for (auto _ : state) {
        f.search.SetQuery("");
        f.search.SetQuery(query);
        benchmark::DoNotOptimize(f.search.MatchCount());
    }
}
BENCHMARK_CAPTURE(BM_KeyFromScratch, letter_a, "a")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_KeyFromScratch, name, "networks")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_KeyFromScratch, prefix, "00-1A-2B")->Unit(benchmark::kMicrosecond);

// A whole name typed letter by letter: the time per key.
void BM_TypedPerKey(benchmark::State& state) {
    Fixture& f = Shared();
    const std::string text = "cisco systems";
    for (auto _ : state) {
        f.search.SetQuery("");
        for (size_t length = 1; length <= text.size(); ++length) {
            f.search.SetQuery(text.substr(0, length));
        }
        benchmark::DoNotOptimize(f.search.MatchCount());
    }
    // items_per_second: keys per second.
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TypedPerKey)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
