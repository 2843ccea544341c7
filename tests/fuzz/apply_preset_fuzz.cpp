// Applying a fuzzed preset to the demo machine: the widest path from file bytes to changes of the
// machine. The input is one byte that picks the adapter and the way of applying, then a preset
// record; records the reader refuses are skipped (the preset_file target covers them).
//
// - Applying either succeeds or raises the program's error with a description.
// - With ResetAdapter, an adapter that was enabled is enabled again, also when a step failed.
// - Scoring and describing the preset raise nothing but the program's errors.
// - The machine keeps all its adapters and can be saved and read back.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "adapters/adapter_info.h"
#include "adapters/device_manager.h"
#include "fuzz_support.h"
#include "system/memory_stream.h"
#include "vendors/nic_vendor.h"

namespace {

using namespace vexav6;
using namespace vexav6::fuzz;

using Adapters = KeyedCollection<std::shared_ptr<AdapterInfo>>;

class RowRecorder : public PropertyList {
  public:
    void Clear() override { rows = 0; }
    void AddColumn(const std::string&, int32_t) override {}
    void AddRow(const std::string&, const std::string&) override { ++rows; }
    int rows = 0;
};

std::vector<std::string> Keys(const Adapters& adapters) {
    std::vector<std::string> keys;
    for (int32_t i = 1; i <= adapters.Count(); ++i) {
        keys.push_back(adapters.Key(i));
    }
    return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return -1;
    }
    Preset preset;
    MemoryStream stream;
    stream.InitBuffer(std::span(data + 1, size - 1));
    if (Attempt([&] { preset.ReadFrom(stream); }, "reading a preset record")) {
        return -1;
    }
    const uint8_t how = data[0];
    const bool resetAdapter = (how & 0x80) != 0;
    const bool withVendors = (how & 0x40) != 0;

    const auto machine = LoadDemoMachine();
    const Platform platform = machine->GetPlatform();
    // The vendor table lives as long as the process, on a machine of its own.
    static sim::Machine vendorMachine;
    static NICVendor vendor(vendorMachine.GetPlatform());
    static const bool loaded = [] {
        vendor.LoadDB(WriteScratchFile("oui.db", SmallVendorDatabase()));
        return true;
    }();
    (void)loaded;

    Adapters adapters;
    DeviceManager::GetNetworkAdapters(platform, adapters);
    Check(adapters.Count() > 0, "the demo machine has no adapters");
    const std::vector<std::string> keys = Keys(adapters);
    AdapterInfo& adapter =
        *adapters.Item(static_cast<int32_t>(1 + (how & 0x3F) % adapters.Count()));
    const bool wasEnabled = adapter.State();

    const auto failed =
        Attempt([&] { preset.ApplyPreset(adapter, withVendors ? &vendor : nullptr, resetAdapter); },
                "applying a preset");
    Check(!failed || !failed->Description().empty(),
          "applying a preset failed without a description");
    if (resetAdapter && wasEnabled) {
        Check(adapter.State(), "applying a preset left an enabled adapter disabled");
    }

    Check(!Attempt([&] { adapter.Refresh(false); }, "refreshing the adapter"),
          "refreshing an adapter raised an error");
    Attempt([&] { preset.IsThisSet(adapter); }, "scoring a preset");
    RowRecorder rows;
    Attempt([&] { preset.PopulateList(rows); }, "describing a preset");

    Adapters after;
    const auto listFailed =
        Attempt([&] { DeviceManager::GetNetworkAdapters(platform, after); }, "listing adapters");
    Check(!listFailed, "the adapters cannot be listed after applying a preset");
    Check(Keys(after) == keys, "applying a preset changed the list of adapters");
    CheckMachineRoundTrip(*machine, "applying a preset");
    return 0;
}
