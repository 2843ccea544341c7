// Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/), mostly with the program's
// own writers, so that every target starts from inputs that reach deep into its reader. Run after a
// format changes: build-asan/fuzz/make_seeds fuzz/corpus
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "ipconfig/ipv6_support.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_file.h"
#include "presets/preset_support.h"
#include "presets/settings.h"
#include "system/memory_stream.h"
#include "vendors/oui_db_file.h"
#include "vendors/oui_listing.h"

namespace {

using namespace vexav6;
using namespace vexav6::fuzz;
namespace fs = std::filesystem;

fs::path root;

void Write(const std::string& target, const std::string& name, const std::string& bytes) {
    const fs::path folder = root / target;
    fs::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        Fail("cannot write " + (folder / name).string());
    }
}

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
    Write(target, name, std::string(bytes.begin(), bytes.end()));
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Little-endian fields of the legacy preset format, which the program only reads.
class Legacy {
  public:
    Legacy& Long(uint32_t v) { return Little(v, 4); }
    Legacy& Int(uint16_t v) { return Little(v, 2); }
    Legacy& Byte(uint8_t v) { return Little(v, 1); }
    Legacy& Text(const std::string& s) {
        Int(static_cast<uint16_t>(s.size()));
        bytes += s;
        return *this;
    }
    Legacy& Array(const std::vector<std::string>& items) {
        Int(1).Long(static_cast<uint32_t>(items.size())).Long(0);
        for (const std::string& item : items) {
            Text(item);
        }
        return *this;
    }
    std::string bytes;

  private:
    Legacy& Little(uint32_t v, int width) {
        for (int i = 0; i < width; ++i) {
            bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
        }
        return *this;
    }
};

std::shared_ptr<Preset> StaticPreset() {
    auto p = std::make_shared<Preset>();
    p->SetPresetName("Office");
    p->SetMACAddress(MacAction::Custom);
    p->SetCustomMACAddress("02:1A:2B:3C:4D:5E");
    p->SetIPv4Selected(true);
    IPv4AddressList v4;
    PresetLists::AddIPv4Address(v4, "10.20.0.7", "255.255.0.0");
    PresetLists::AddIPv4Address(v4, "192.168.5.9", "255.255.255.0");
    p->SetIPv4Addresses(v4);
    IPv4GatewayList g4;
    PresetLists::AddIPv4Gateway(g4, "10.20.0.1", 10);
    p->SetIPv4Gateways(g4);
    NameServerList d4;
    PresetLists::AddNameServer(d4, "10.20.0.53");
    PresetLists::AddNameServer(d4, "1.1.1.1");
    p->SetIPv4NameServers(d4);
    p->SetIPv6Selected(true);
    IPv6AddressList v6;
    const auto a6 = IPv6Support::IPv6TextToBytes(IPv6Support::ExpandIPv6Text("2001:db8:10::7"));
    PresetLists::AddIPv6Address(v6, a6, 64);
    p->SetIPv6Addresses(v6);
    IPv6GatewayList g6;
    const auto n6 = IPv6Support::IPv6TextToBytes(IPv6Support::ExpandIPv6Text("fe80::1"));
    PresetLists::AddIPv6Gateway(g6, n6, 256);
    p->SetIPv6Gateways(g6);
    NameServerList d6;
    PresetLists::AddNameServer(d6, "2001:db8:10::53");
    p->SetIPv6NameServers(d6);
    p->SetIEProxySelected(true);
    p->SetIEProxyEnabled(true);
    p->SetIEProxyServer("proxy.office.example");
    p->SetIEProxyPort(3128);
    return p;
}

std::shared_ptr<Preset> DhcpPreset() {
    auto p = std::make_shared<Preset>();
    p->SetPresetName("Home");
    p->SetMACAddress(MacAction::Random02);
    p->SetIPv4Selected(true);
    p->SetIPv4DHCPEnabled(true);
    p->SetIPv6Selected(true);
    p->SetIPv6DHCPEnabled(true);
    p->SetIPv4NameServers(NameServerList());
    p->SetIEProxySelected(true);
    return p;
}

std::shared_ptr<Preset> EmptyListsPreset() {
    auto p = std::make_shared<Preset>();
    p->SetPresetName("Bare");
    p->SetMACAddress(MacAction::Original);
    p->SetIPv4Selected(true);
    p->SetIPv4Addresses(IPv4AddressList());
    p->SetIPv4Gateways(IPv4GatewayList());
    p->SetIPv6Selected(true);
    p->SetIPv6Addresses(IPv6AddressList());
    p->SetIPv6Gateways(IPv6GatewayList());
    p->SetIPv6NameServers(NameServerList());
    return p;
}

void PresetSeeds() {
    std::optional<PresetCollection> presets(std::in_place);
    for (const auto& p : {StaticPreset(), DhcpPreset(), EmptyListsPreset()}) {
        presets->Add(p, p->PresetName());
    }
    Write("preset_file", "three.kpf", PresetFileBytes(presets));
    Write("preset_file", "none.kpf", PresetFileBytes(std::nullopt));
    Write("preset_file", "record-office", RecordBytes(*StaticPreset()));
    Write("preset_file", "record-new", RecordBytes(Preset()));

    // The applier's input: how to apply (adapter, vendor table, reset), then a record.
    int n = 0;
    for (const auto& p : {StaticPreset(), DhcpPreset(), EmptyListsPreset()}) {
        for (const uint8_t how : {0x00, 0xC1, 0x42, 0x83}) {
            const Bytes record = RecordBytes(*p);
            std::string bytes(1, static_cast<char>(how));
            bytes.append(record.begin(), record.end());
            Write("apply_preset", "apply-" + std::to_string(n++), bytes);
        }
    }
}

void LegacySeeds() {
    Legacy v1;
    v1.Long((1u << 24) | 3);
    v1.Text("Office").Byte(0x08 | 0x10 | 0x20 | 0x40).Text("02:1a:2b:3c:4d:5e");
    v1.Array({"10.20.0.7", "192.168.5.9"}).Array({"255.255.0.0", "255.255.255.0"});
    v1.Array({"10.20.0.1"}).Array({"10"}).Array({"10.20.0.53", "1.1.1.1"});
    v1.Text("proxy.office.example").Long(3128);
    v1.Text("Home").Byte(0x01 | 0x04 | 0x20).Text("");
    v1.Array({""}).Array({""}).Array({""}).Array({""}).Array({"192.168.1.1"});
    v1.Text("").Long(0);
    v1.Text("").Byte(0x40).Text("").Array({}).Array({}).Array({}).Array({}).Array({});
    v1.Text("").Long(0);
    Write("legacy_preset", "version1.cpf", v1.bytes);

    Legacy v0;
    v0.Long(0);
    v0.Text("Alt \xE9t\xE9").Byte(0x08 | 0x20).Text("");
    v0.Array({"0.0.0.0"}).Array({"0.0.0.0"}).Array({""}).Array({""}).Array({""});
    Write("legacy_preset", "version0.cpf", v0.bytes);
}

void SettingsSeeds() {
    sim::Machine machine;
    const Platform platform = machine.GetPlatform();
    const std::string path = ScratchFolder() + "/seed.set";
    Settings settings(platform);
    settings.LoadSettings(path);  // no file yet: the defaults
    settings.SaveSettings();
    Write("settings", "defaults.set", ReadText(path));
    settings.SystemTrayIcon = false;
    settings.ShowSpeedInKBytes = false;
    settings.AutomaticUpdates()->SetCheckIntervalDays(7);
    settings.AutomaticUpdates()->SetUpdateURL("https://updates.example/v");
    settings.SaveSettings();
    std::string changed = ReadText(path);
    Write("settings", "changed.set", changed);
    // Version 1 had no ShowSpeedInKBytes.
    std::string v1 = changed;
    v1[0] = 1;
    v1.erase(5, 1);
    Write("settings", "version1.set", v1);
    Write("settings", "version-only.set", std::string(1, '\x02'));
}

const char* kListing =
    "OUI/MA-L                                                    Organization                      "
    "           \n"
    "company_id                                                  Organization                      "
    "           \n"
    "                                                            Address                           "
    "           \n"
    "\n"
    "00-1B-21   (hex)\t\tIntel Corporate\n"
    "001B21     (base 16)\t\tIntel Corporate\n"
    "\t\t\t\tLot 8, Jalan Hi-Tech 2/3\n"
    "\t\t\t\tKulim  Kedah  09000\n"
    "\t\t\t\tMY\n"
    "\n"
    "00-15-5D   (hex)\t\tMicrosoft Corporation\n"
    "00155D     (base 16)\t\tMicrosoft Corporation\n"
    "\t\t\t\tOne Microsoft Way\n"
    "\t\t\t\t \n"
    "\n"
    "3C-7C-3F   (hex)\t\tASUSTek COMPUTER INC.\n"
    "3C7C3F     (base 16)\t\tASUSTek COMPUTER INC.\n"
    "\n"
    "08-00-20   (hex)\t\tOracle Corporation\n"
    "080020     (base 16)\t\tOracle Corporation\n"
    "\t\t\t\t17 Network Circle\n"
    "\t\t\t\tMenlo Park  CA  94025\n"
    "\t\t\t\tUS\n";

void VendorSeeds() {
    const std::string listing = kListing;
    Write("oui_listing", "small.txt", listing);
    std::string crlf;
    for (const char c : listing) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    Write("oui_listing", "small-crlf.txt", crlf);
    Write("oui_listing", "ansi.txt",
          "00-1B-21   (hex)\t\tSoci\xE9t\xE9 G\xE9n\xE9rale\n001B21     (base "
          "16)\t\tSoci\xE9t\xE9\n\t\t\t\tRue de la Paix\n");
    const OUITable table = ParseOUIListing(listing, "seeds");
    Write("oui_db", "small.db", OUIDatabase::Encode(table, OleDate{45266.25}, "seeds"));
    Write("oui_db", "fuzz-support.db", SmallVendorDatabase());
    OUITable one;
    one.Add(0x001B21, "00-1B-21", "Intel Corporate", "");
    Write("oui_db", "one-record.db", OUIDatabase::Encode(one, OleDate{}, "seeds"));
}

void MachineSeeds(const fs::path& fixtures) {
    for (const char* name : {"win2000", "vista", "static-ip"}) {
        sim::Machine machine;
        sim::LoadMachineFile(fixtures / "machines" / (std::string(name) + ".json"), machine);
        Write("machine_file", std::string(name) + "-saved.json", sim::MachineText(machine));
    }
    // Files without live state: the machine starts from its registry, network store included.
    for (const char* name : {"win2000.json", "static-ip.json"}) {
        Write("machine_file", name, ReadText(fixtures / "machines" / name));
    }
    Write("machine_file", "minimal.json", "{\"machineFile\": 1}\n");
    Write("machine_file", "number-overflow.json",
          "{\"machineFile\": 1, \"administrator\": 1e399}\n");
    Write("machine_file", "registry-forms.json", R"({
  "machineFile": 1,
  "windows": {"version": "6.1.7601", "servicePack": "Service Pack 1", "productType": 1},
  "clock": "2025-03-01T12:00:00",
  "registry": {
    "HKLM\\Software\\Forms": {
      "": "default",
      "Text": "x",
      "Number": -60,
      "List": ["a", "b"],
      "Blob": {"type": "REG_BINARY", "hex": ["01 02 0A FF", "00"]},
      "Expand": {"type": "REG_EXPAND_SZ", "text": "%SystemRoot%"},
      "Big": {"type": "REG_QWORD", "value": 18446744073709551615},
      "Odd": {"type": 11, "hex": ""},
      "Multi": {"type": "REG_MULTI_SZ", "strings": ["one"]}
    },
    "HKEY_CURRENT_USER\\Empty": {}
  }
}
)");
}

void TextSeeds() {
    const char* commandLines[] = {
        "-n Ethernet -m 02:1A:2B:3C:4D:5E -re",
        "-n \"Wi\" -nr02 -s",
        "-n Ethernet -i 10.0.0.2/24,10.0.0.3/255.255.255.0 -g 10.0.0.1@20 -d 10.0.0.1, 1.1.1.1",
        "-n Ethernet -i6 2001:db8::2/48 -g6 fe80::1@10 -d6 2001:db8::53 -h6",
        "-n Ethernet -h -pxy proxy.lan:8080 -rl -rn -rl6 -rn6",
        "-n Ethernet -p Office -f Default.kpf",
        "-n Ethernet -p home",
        "-n Ethernet -di -re",
        "-n Ethernet -ro -m 001122334455",
        "-n Bluetooth -en -nm 021122334455",
        "-list",
        "-report report.txt",
        "-n x -help",
        "/?",
        "-o Default.kpf",
        "-N ETHERNET -R -PXY",
        "-n Ethernet -n Wi",
        "-n Bridge -r",
    };
    int n = 0;
    for (const char* line : commandLines) {
        Write("command_line", "line-" + std::to_string(n++), std::string(line));
    }
    const char* addresses[] = {
        "192.168.0.1",
        "10.1",
        "0x7f.1",
        "017.0.0.1",
        "255.255.255.0",
        "255.255.255.1",
        "24",
        "32.5",
        "fe80::1",
        "::",
        "::1",
        "FE80::",
        "2001:0DB8:0000:0000:0001:0000:0000:0000",
        "::ffff:192.0.2.1",
        "1:2:3:4:5:6:7:8",
        "fe80::1%12",
        "00-1B-21-3A-4F-5C",
        "00:1b:21:3a:4f:5c",
        "001B213A4F5C",
        "FF-FF-FF-FF-FF-FF",
        "00155DFF",
    };
    n = 0;
    for (const char* address : addresses) {
        Write("address_text", "text-" + std::to_string(n++), std::string(address));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <corpus folder>\n");
        return 2;
    }
    root = argv[1];
    PresetSeeds();
    LegacySeeds();
    SettingsSeeds();
    VendorSeeds();
    MachineSeeds(fs::path(VEXAV6_FIXTURES_DIR));
    TextSeeds();
    return 0;
}
