// The vendor database on the real IEEE listing, each figure beside a baseline measured in the same
// run: the listing parse against a plain std::getline pass over the same file, LoadDB against
// reading the file's bytes, SaveDB against the program's whole-file writer (and std::ofstream)
// with as many bytes, and GetVendor against a scan of the same table from the start (what a lookup
// without the index costs). The ratios are printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/sim/machine.h"
#include "system/path.h"
#include "vendors/nic_vendor.h"

namespace {

namespace fs = std::filesystem;
using vexav6::NICVendor;

const char* const kListing = "/usr/share/ieee-data/oui.txt";

struct Fixture {
    Fixture() : vendor(machine.GetPlatform()) {
        vendor.ParseOUI(kListing);
        folder = fs::temp_directory_path() / ("vexav6-bench-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        db = (folder / "oui.db").string();
        vendor.SaveDB(db);
        dbSize = fs::file_size(db);

        // Half of the lookups name listed prefixes, half arbitrary 24-bit numbers.
        std::mt19937 random(42);
        const vexav6::OUITable& table = vendor.Table();
        for (int i = 0; i < 1024; ++i) {
            lookups.push_back(i % 2 == 0 ? table.Number(random() % table.Size())
                                         : static_cast<int32_t>(random() & 0xFFFFFF));
        }
    }
    ~Fixture() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    vexav6::sim::Machine machine;
    NICVendor vendor;
    fs::path folder;
    std::string db;
    uintmax_t dbSize = 0;
    std::vector<int32_t> lookups;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void GetlineBaseline(benchmark::State& state) {
    for (auto _ : state) {
        std::ifstream in(kListing, std::ios::binary);
        size_t bytes = 0;
        for (std::string line; std::getline(in, line);) {
            bytes += line.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(GetlineBaseline)->Unit(benchmark::kMillisecond);

void ParseOUI(benchmark::State& state) {
    NICVendor vendor(Shared().machine.GetPlatform());
    for (auto _ : state) {
        vendor.ParseOUI(kListing);
    }
    state.counters["records"] = static_cast<double>(vendor.Table().Size());
}
BENCHMARK(ParseOUI)->Unit(benchmark::kMillisecond);

void ReadFileBaseline(benchmark::State& state) {
    const std::string& db = Shared().db;
    for (auto _ : state) {
        std::ifstream in(db, std::ios::binary);
        std::string bytes(static_cast<size_t>(fs::file_size(db)), '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(ReadFileBaseline)->Unit(benchmark::kMillisecond);

// As at start-up: a new object takes the database.
void LoadDB(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto vendor = std::make_unique<NICVendor>(Shared().machine.GetPlatform());
        state.ResumeTiming();
        vendor->LoadDB(Shared().db);
        state.PauseTiming();
        vendor.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(LoadDB)->Unit(benchmark::kMillisecond);

// A loaded table replaced by the database again: the old table is freed as well.
void LoadDBReplacing(benchmark::State& state) {
    NICVendor vendor(Shared().machine.GetPlatform());
    for (auto _ : state) {
        vendor.LoadDB(Shared().db);
    }
}
BENCHMARK(LoadDBReplacing)->Unit(benchmark::kMillisecond);

void WriteFileBaseline(benchmark::State& state) {
    const std::string bytes(Shared().dbSize, 'x');
    const std::string path = (Shared().folder / "plain.db").string();
    for (auto _ : state) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
}
BENCHMARK(WriteFileBaseline)->Unit(benchmark::kMillisecond);

// The program's whole-file writer (temporary file, flush to disk, replace) with as many bytes:
// what any save of a file this size costs before a single record is encoded.
void WriteAllBytesBaseline(benchmark::State& state) {
    const std::vector<uint8_t> bytes(Shared().dbSize, 'x');
    const std::string path = (Shared().folder / "whole.db").string();
    for (auto _ : state) {
        vexav6::Path::WriteAllBytes(path, bytes, true);
    }
}
BENCHMARK(WriteAllBytesBaseline)->Unit(benchmark::kMillisecond);

void SaveDB(benchmark::State& state) {
    const std::string path = (Shared().folder / "saved.db").string();
    for (auto _ : state) {
        Shared().vendor.SaveDB(path);
    }
}
BENCHMARK(SaveDB)->Unit(benchmark::kMillisecond);

void GetVendor(benchmark::State& state) {
    const Fixture& f = Shared();
    size_t i = 0;
    for (auto _ : state) {
        std::string answer = f.vendor.GetVendor(f.lookups[i++ & 1023], true, true);
        benchmark::DoNotOptimize(answer.data());
    }
}
BENCHMARK(GetVendor);

// The same answers found the way a table without an index must: from the first record on.
void GetVendorLinearScan(benchmark::State& state) {
    const Fixture& f = Shared();
    const vexav6::OUITable& table = f.vendor.Table();
    size_t i = 0;
    for (auto _ : state) {
        const int32_t number = f.lookups[i++ & 1023];
        std::string answer = vexav6::kUnknownVendor;
        for (size_t r = 0; r < table.Size(); ++r) {
            if (table.Number(r) == number) {
                answer = "[" + std::string(table.OUIText(r)) + "] " +
                         std::string(table.CompanyName(r)) +
                         "  (Address: " + std::string(table.CompanyAddress(r)) + ")";
                break;
            }
        }
        benchmark::DoNotOptimize(answer.data());
    }
}
BENCHMARK(GetVendorLinearScan)->Unit(benchmark::kMicrosecond);

// Prints the usual table, keeps every run's real and CPU time per iteration, and adds the ratios.
// On a busy machine the real time includes waiting for a processor; the CPU time does not.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            // With repetitions the median stands for the benchmark; otherwise its one run.
            if (!run.aggregate_name.empty() && run.aggregate_name != "median") {
                continue;
            }
            const double toNs = 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            times_[run.run_name.function_name] = {run.GetAdjustedRealTime() * toNs,
                                                  run.GetAdjustedCPUTime() * toNs};
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const {
        std::printf("\nAgainst the baselines of this run (real time | CPU time):\n");
        Ratio("ParseOUI", "GetlineBaseline", "parse of the listing / std::getline pass", 1e6, "ms");
        Ratio("LoadDB", "ReadFileBaseline", "LoadDB / reading the file's bytes", 1e6, "ms");
        Ratio("LoadDBReplacing", "ReadFileBaseline", "LoadDB replacing a loaded table / reading",
              1e6, "ms");
        Ratio("SaveDB", "WriteAllBytesBaseline", "SaveDB / WriteAllBytes of as many bytes", 1e6,
              "ms");
        Ratio("SaveDB", "WriteFileBaseline", "SaveDB / std::ofstream of as many bytes", 1e6, "ms");
        Ratio("GetVendor", "GetVendorLinearScan", "GetVendor / scan from the start", 1, "ns");
    }

  private:
    struct Times {
        double real;
        double cpu;
    };

    void Ratio(const std::string& subject, const std::string& baseline, const char* what,
               double scale, const char* unit) const {
        const auto s = times_.find(subject);
        const auto b = times_.find(baseline);
        if (s == times_.end() || b == times_.end()) {
            return;
        }
        std::printf(
            "  %s\n    real %10.3f %s vs %10.3f %s  ratio %.4g\n"
            "    CPU  %10.3f %s vs %10.3f %s  ratio %.4g\n",
            what, s->second.real / scale, unit, b->second.real / scale, unit,
            s->second.real / b->second.real, s->second.cpu / scale, unit, b->second.cpu / scale,
            unit, s->second.cpu / b->second.cpu);
    }

    std::map<std::string, Times> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
