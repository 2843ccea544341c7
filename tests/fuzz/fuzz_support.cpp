#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <unordered_set>

#include "platform/sim/machine_file.h"
#include "presets/preset_support.h"
#include "system/memory_stream.h"
#include "system/path.h"
#include "vendors/oui_db_file.h"
#include "vendors/oui_table.h"

namespace vexav6::fuzz {

void Fail(std::string_view what) {
    std::fprintf(stderr, "\n== property does not hold: %.*s\n", static_cast<int>(what.size()),
                 what.data());
    std::fflush(stderr);
    std::abort();
}

std::optional<Error> Attempt(const std::function<void()>& call, std::string_view what) {
    try {
        call();
        return std::nullopt;
    } catch (const Error& error) {
        return error;
    } catch (const std::bad_alloc&) {
        Fail(std::string(what) + ": ran out of memory");
    } catch (const std::exception& e) {
        Fail(std::string(what) +
             ": raised an exception that is not the program's error: " + e.what());
    } catch (...) {
        Fail(std::string(what) + ": raised something that is not an exception");
    }
}

Bytes RecordBytes(const Preset& preset) {
    MemoryStream stream;
    stream.Init(1024);
    preset.WriteTo(stream);
    return stream.ToArray();
}

Bytes PresetFileBytes(const std::optional<PresetCollection>& presets) {
    MemoryStream stream;
    stream.Init(1024);
    PresetSupport::WritePresets(stream, presets);
    return stream.ToArray();
}

std::string_view AsText(std::span<const uint8_t> data) {
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

namespace {

struct Scratch {
    Scratch() {
        std::error_code ec;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, ec) || access(base.c_str(), W_OK) != 0) {
            base = std::filesystem::temp_directory_path();
        }
        path = (base / ("vexav6-fuzz-" + std::to_string(getpid()))).string();
        std::filesystem::create_directories(path, ec);
        Check(!ec, "the scratch folder " + path + " cannot be made");
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string path;
};

}  // namespace

const std::string& ScratchFolder() {
    static const Scratch scratch;
    return scratch.path;
}

std::string WriteScratchFile(std::string_view name, std::span<const uint8_t> bytes) {
    const std::string path = ScratchFolder() + "/" + std::string(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    Check(static_cast<bool>(out), "cannot write the scratch file " + path);
    return path;
}

const std::string& DemoMachineText() {
    static const std::string text = [] {
        const std::string path = std::string(VEXAV6_FIXTURES_DIR) + "/machines/demo.json";
        std::ifstream in(path, std::ios::binary);
        Check(static_cast<bool>(in), "cannot read " + path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    return text;
}

std::unique_ptr<sim::Machine> LoadDemoMachine() {
    auto machine = std::make_unique<sim::Machine>();
    sim::LoadMachineText(DemoMachineText(), "demo.json", *machine);
    machine->system.programFolder = ScratchFolder();
    return machine;
}

void CheckMachineRoundTrip(const sim::Machine& machine, std::string_view what) {
    const std::string text = sim::MachineText(machine);
    // Loading is the costly part, and the same text always loads the same way: texts that were
    // read back already (most often the demo machine as it was, after a command that failed
    // early) are not read again.
    static std::unordered_set<std::string> readBack;
    if (readBack.count(text) != 0) {
        return;
    }
    sim::Machine again;
    try {
        sim::LoadMachineText(text, "saved.json", again);
    } catch (const std::exception& e) {
        Fail(std::string(what) + ": the machine it left cannot be read back: " + e.what());
    }
    Check(sim::MachineText(again) == text,
          std::string(what) + ": the machine it left reads back as another machine");
    if (readBack.size() < 64) {
        readBack.insert(text);
    }
}

bool SameTables(const OUITable& a, const OUITable& b) {
    if (a.Size() != b.Size()) {
        return false;
    }
    for (size_t i = 0; i < a.Size(); ++i) {
        if (!(a.Record(i) == b.Record(i))) {
            return false;
        }
    }
    return true;
}

Bytes SmallVendorDatabase() {
    OUITable table;
    table.Add(0x001B21, "00-1B-21", "Intel Corporate", "Lot 8, Jalan Hi-Tech 2/3, Kulim, MY");
    table.Add(0x04D4C4, "04-D4-C4", "ASUSTek COMPUTER INC.", "No.15,Lide Rd., Taipei, TW");
    table.Add(0x00155D, "00-15-5D", "Microsoft Corporation", "One Microsoft Way, Redmond, US");
    table.Add(0x3C7C3F, "3C-7C-3F", "ASUSTek COMPUTER INC.", "");
    return OUIDatabase::Encode(table, OleDate{45000.5}, "fuzz");
}

}  // namespace vexav6::fuzz
