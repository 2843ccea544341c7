#include "platform/sim/machine_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/sim/machine.h"
#include "platform/sim/sim_net_text.h"
#include "support/temp_dir.h"

namespace vexav6::sim {
namespace {

using platform::RootKey;
namespace status = platform::status;
namespace regtype = platform::regtype;

constexpr const char* kEthernetGuid = "{3F2A6C1E-8B4D-4E21-9A7C-5D1E2F3A4B01}";
constexpr const char* kEthernetKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";

std::filesystem::path Fixture(const std::string& name) {
    return std::filesystem::path(VEXAV6_FIXTURES_DIR) / "machines" / name;
}

std::vector<std::string> Ipv4Of(Machine& machine, const std::string& guid) {
    std::vector<std::string> result;
    std::vector<platform::IpAdapterInfo> adapters;
    machine.ipStack.GetAdaptersInfo(adapters);
    for (const auto& adapter : adapters) {
        if (adapter.adapterName == guid) {
            for (const auto& address : adapter.ipAddressList) {
                result.push_back(address.ipAddress + "/" + address.ipMask + "#" +
                                 std::to_string(address.context));
            }
        }
    }
    return result;
}

// Changes the state of the device at `position` the way the program does.
void ChangeState(Machine& machine, uint32_t position, uint32_t change) {
    const auto set =
        machine.devices.GetClassDevs(SimDevices::kNetClassGuid, platform::digcf::kPresent);
    platform::DevInfoData record;
    ASSERT_TRUE(machine.devices.EnumDeviceInfo(set, position, record));
    platform::PropChangeParams params;
    params.stateChange = change;
    ASSERT_TRUE(machine.devices.SetClassInstallParams(set, record, params));
    ASSERT_TRUE(machine.devices.ChangeState(set, record));
    machine.devices.DestroyDeviceInfoList(set);
}

TEST(MachineFileTest, DemoMachineIsTheDescribedWindows10Pc) {
    Machine machine;
    machine.Load(Fixture("demo.json"));
    EXPECT_EQ(machine.system.version.major, 10u);
    EXPECT_EQ(machine.system.version.build, 19045u);
    EXPECT_EQ(machine.registry.GetDword(RootKey::LocalMachine,
                                        "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation",
                                        "ActiveTimeBias"),
              static_cast<uint32_t>(-60));

    const auto& devices = machine.devices.Devices();
    ASSERT_EQ(devices.size(), 6u);
    EXPECT_EQ(devices[2].description, "Bluetooth Device (Personal Area Network)");
    EXPECT_TRUE(devices[2].Disabled());
    EXPECT_EQ(devices[1].driver, DriverProfile::Wireless);
    EXPECT_EQ(devices[4].hardwareIds.front(), "ms_bridgemp");
    EXPECT_EQ(devices[4].driver, DriverProfile::Bridge);
    // Every device has its class key; only the kernel debug adapter lacks TCP/IP.
    int bound = 0;
    for (const SimDevice& device : devices) {
        const auto guid = machine.registry.GetString(
            RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Class\\" + device.driverKey,
            "NetCfgInstanceId");
        ASSERT_TRUE(guid.has_value()) << device.description;
        bound +=
            machine.registry
                .GetMultiString(
                    RootKey::LocalMachine,
                    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Adapters\\" + *guid,
                    "IpConfig")
                .has_value();
    }
    EXPECT_EQ(bound, 5);

    // The wired adapter got its DHCP lease, a link-local and a global IPv6 address and a default
    // route.
    const auto ipv4 = Ipv4Of(machine, kEthernetGuid);
    ASSERT_EQ(ipv4.size(), 1u);
    EXPECT_EQ(ipv4[0].substr(0, ipv4[0].find('#')), "192.168.1.23/255.255.255.0");
    std::vector<platform::UnicastRow> rows;
    ASSERT_EQ(machine.ipStack.GetUnicastIpAddressTable(platform::af::kInet6, rows),
              status::kSuccess);
    std::vector<std::string> ipv6;
    for (const auto& row : rows) {
        if (row.ifIndex == 12) {
            ipv6.push_back(nettext::FormatIpv6(row.address.ipv6));
        }
    }
    EXPECT_EQ(ipv6, (std::vector<std::string>{"fe80::6d4:c4ff:fe5a:127e",
                                              "2001:db8:1a2b:10:6d4:c4ff:fe5a:127e"}));
    std::vector<platform::ForwardRow2> routes;
    ASSERT_EQ(machine.ipStack.GetIpForwardTable2(platform::af::kInet6, routes), status::kSuccess);
    EXPECT_TRUE(std::any_of(routes.begin(), routes.end(), [](const auto& r) {
        return r.ifIndex == 12 && r.destinationPrefix.prefixLength == 0 &&
               nettext::FormatIpv6(r.nextHop.ipv6) == "fe80::1";
    }));

    // Disabled and unbound devices are not in the IPv4 adapter list; the Wi-Fi reports type 71.
    std::vector<platform::IpAdapterInfo> adapters;
    ASSERT_EQ(machine.ipStack.GetAdaptersInfo(adapters), status::kSuccess);
    std::vector<uint32_t> indexes;
    for (const auto& adapter : adapters) {
        indexes.push_back(adapter.index);
    }
    EXPECT_EQ(indexes, (std::vector<uint32_t>{12, 17, 28, 31}));
    EXPECT_EQ(adapters[1].type, platform::iftype::kIeee80211);
}

TEST(MachineFileTest, SavedMachineLoadsBackTheSameIncludingLiveOnlyChanges) {
    Machine original;
    original.Load(Fixture("demo.json"));
    // Changes that exist only in the running machine.
    uint32_t context = 0;
    uint32_t instance = 0;
    uint32_t address = 0;
    uint32_t mask = 0;
    nettext::ParseIpv4("192.168.1.77", address);
    nettext::ParseIpv4("255.255.255.0", mask);
    ASSERT_EQ(original.ipStack.AddIPAddress(address, mask, 12, context, instance),
              status::kSuccess);
    const std::string classKey =
        std::string("SYSTEM\\CurrentControlSet\\Control\\Class\\") + kEthernetKey;
    original.registry.PutString(RootKey::LocalMachine, classKey, "NetworkAddress", "0A1B2C3D4E5F");
    ChangeState(original, 0, platform::dics::kDisable);
    ChangeState(original, 0, platform::dics::kEnable);
    original.registry.RemoveValue(RootKey::LocalMachine, classKey, "NetworkAddress");
    ASSERT_EQ(original.ipStack.AddIPAddress(address, mask, 12, context, instance),
              status::kSuccess);
    original.ipStack.AddTraffic(kEthernetGuid, 5000, 700);
    original.clock.Advance(90 * 1000);
    // Odd registry data must survive exactly.
    original.registry.Put(RootKey::CurrentUser, "Software\\Test", "NoTerminator",
                          {regtype::kSz, {'a', 'b'}});
    original.registry.Put(RootKey::CurrentUser, "Software\\Test", "Gap",
                          {regtype::kMultiSz, {'a', 0, 0, 'b', 0, 0}});
    original.registry.Put(RootKey::CurrentUser, "Software\\Test", "Quad",
                          {regtype::kQword, {1, 2, 3, 4, 5, 6, 7, 0x80}});
    original.registry.Put(RootKey::CurrentUser, "Software\\Test", "Short",
                          {regtype::kDword, {1, 2}});
    original.registry.Put(RootKey::CurrentUser, "Software\\Test", "Blob",
                          {regtype::kBinary, std::vector<uint8_t>(100, 0xAB)});
    original.registry.Put(RootKey::CurrentUser, "Software\\Test", "Path",
                          {regtype::kExpandSz, {'%', 'X', '%', 0}});
    original.registry.Put(RootKey::CurrentUser, "Software\\Test", "Odd", {77, {9}});
    original.registry.CreateKeyDirect(RootKey::CurrentUser, "Software\\Empty");

    testing::TempDir dir;
    const std::filesystem::path file = dir.Path() / "machine.json";
    original.Save(file);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "machine.json.partial"));
    Machine copy;
    copy.Load(file);
    EXPECT_EQ(MachineText(copy), MachineText(original));

    const SimIpStack::Interface* iface = copy.ipStack.FindInterface(kEthernetGuid);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(nettext::FormatMac(iface->mac), "0A-1B-2C-3D-4E-5F");
    EXPECT_EQ(Ipv4Of(copy, kEthernetGuid), Ipv4Of(original, kEthernetGuid));
    EXPECT_EQ(Ipv4Of(copy, kEthernetGuid).size(), 2u);
    EXPECT_EQ(copy.ipStack.InOctets(*iface),
              original.ipStack.InOctets(*original.ipStack.FindInterface(kEthernetGuid)));
    EXPECT_EQ(copy.ipStack.nextNteContext, original.ipStack.nextNteContext);
    EXPECT_EQ(copy.clock.Now(), original.clock.Now());
    for (const char* name : {"NoTerminator", "Gap", "Quad", "Short", "Blob", "Path", "Odd"}) {
        EXPECT_EQ(copy.registry.Get(RootKey::CurrentUser, "Software\\Test", name),
                  original.registry.Get(RootKey::CurrentUser, "Software\\Test", name))
            << name;
    }
    EXPECT_TRUE(copy.registry.KeyExists(RootKey::CurrentUser, "Software\\Empty"));

    // The reloaded machine goes on like the original: a restart drops the live-only address.
    ChangeState(copy, 0, 3);  // DICS_PROPCHANGE: a restart
    EXPECT_EQ(Ipv4Of(copy, kEthernetGuid).size(), 1u);
    EXPECT_EQ(nettext::FormatMac(copy.ipStack.FindInterface(kEthernetGuid)->mac),
              "04-D4-C4-5A-12-7E");
}

TEST(MachineFileTest, StoredIPv6AddressesKeepTheirOriginsThroughASave) {
    // The network store may hold any origin numbers; the interface takes them as they stand and
    // the saved file must carry them back.
    std::string text;
    {
        std::ifstream in(Fixture("static-ip.json"), std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string origins = "01 00 00 00 01 00 00 00 40 00";
    ASSERT_NE(text.find(origins), std::string::npos);
    text.replace(text.find(origins), origins.size(), "11 00 00 00 2A 00 00 00 40 00");
    Machine original;
    LoadMachineText(text, "static-ip.json", original);
    Machine copy;
    LoadMachineText(MachineText(original), "saved.json", copy);
    EXPECT_EQ(MachineText(copy), MachineText(original));
}

TEST(MachineFileTest, SmallMachinesBehaveAsTheirWindowsVersions) {
    Machine win2000;
    win2000.Load(Fixture("win2000.json"));
    std::vector<platform::AdapterAddresses> addresses;
    EXPECT_EQ(win2000.ipStack.GetAdaptersAddresses(platform::af::kInet6, 62, addresses), 127u);
    EXPECT_EQ(Ipv4Of(win2000, "{9A1B2C3D-4E5F-4061-8273-94A5B6C7D801}").size(), 1u);

    Machine xp;
    xp.Load(Fixture("winxp.json"));
    ASSERT_EQ(xp.ipStack.GetAdaptersAddresses(platform::af::kInet6, 62, addresses),
              status::kSuccess);
    const auto lan = std::find_if(addresses.begin(), addresses.end(),
                                  [](const auto& a) { return a.ipv6IfIndex == 2; });
    ASSERT_NE(lan, addresses.end());
    EXPECT_FALSE(lan->hasLuid);
    ASSERT_EQ(lan->unicastAddresses.size(), 1u);
    EXPECT_FALSE(lan->unicastAddresses[0].hasOnLinkPrefixLength);
    std::vector<platform::IpAdapterInfo> adapters;
    ASSERT_EQ(xp.ipStack.GetAdaptersInfo(adapters), status::kSuccess);
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(adapters[1].type,
              platform::iftype::kEthernet);  // wireless reported as Ethernet before 6.0

    Machine vista;
    vista.Load(Fixture("vista.json"));
    EXPECT_EQ(vista.system.version.major, 6u);
    EXPECT_EQ(Ipv4Of(vista, "{1E2F3A4B-5C6D-4E7F-8091-A2B3C4D5E601}").size(), 1u);

    Machine fixed;
    fixed.Load(Fixture("static-ip.json"));
    const std::string guid = "{C4D5E6F7-0819-4A2B-BC3D-4E5F60718201}";
    const auto ipv4 = Ipv4Of(fixed, guid);
    ASSERT_EQ(ipv4.size(), 2u);
    EXPECT_EQ(ipv4[1].substr(0, ipv4[1].find('#')), "10.10.0.5/255.255.0.0");
    std::vector<platform::MibIpForwardRow> routes;
    ASSERT_EQ(fixed.ipStack.GetIpForwardTable(routes), status::kSuccess);
    EXPECT_EQ(std::count_if(routes.begin(), routes.end(),
                            [](const auto& r) { return r.dest == 0 && r.mask == 0; }),
              2);
    std::vector<platform::UnicastRow> rows;
    ASSERT_EQ(fixed.ipStack.GetUnicastIpAddressTable(platform::af::kInet6, rows), status::kSuccess);
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](const auto& r) {
        return nettext::FormatIpv6(r.address.ipv6) == "2001:db8:50::10";
    }));
}

// A minimal valid file with one device, into which a test puts one fault.
std::string Minimal(const std::string& device, const std::string& registryExtra = "") {
    return R"({"machineFile": 1, "devices": [)" + device + R"(], "registry": {
      "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001":
        {"NetCfgInstanceId": "{3F2A6C1E-8B4D-4E21-9A7C-5D1E2F3A4B01}"})" +
           registryExtra + "}}";
}

const char* kDevice =
    R"({"description": "NIC", "driverKey": "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001",
                          "burnedInAddress": "00-1B-21-3A-4F-5C", "interface": {"index": 5}})";

TEST(MachineFileTest, BadFilesAreRefusedWithMessagesThatSayWhereAndWhat) {
    // The minimal file itself is fine.
    {
        Machine machine;
        LoadMachineText(Minimal(kDevice), "ok.json", machine);
        ASSERT_EQ(machine.devices.Devices().size(), 1u);
        EXPECT_EQ(machine.devices.Devices()[0].interface->index, 5u);
    }
    const std::string device(kDevice);
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string result = device;
        result.replace(result.find(from), from.size(), to);
        return result;
    };
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"{\"machineFile\": 1,\n \"devices\": [\n}",
         "bad.json: not valid JSON: parse error at line 3"},
        // Valid JSON whose number no double holds: still the program's message, with the place.
        {"{\"machineFile\": 1,\n \"clock\": 1e399}",
         "bad.json: not usable JSON at line 2, column 15: 1e399 is too large a number"},
        {R"({"devices": []})", "bad.json: machineFile: is missing"},
        {R"({"machineFile": 2})", "machineFile: version 2 is not known"},
        {R"({"machineFile": 1, "windows": {"version": "ten"}})",
         "windows.version: \"ten\" is not a Windows version"},
        {Minimal(replaced("burnedInAddress", "burnedInAdress")),
         "devices[0].burnedInAdress: unknown entry"},
        {Minimal(replaced("00-1B-21-3A-4F-5C", "00-1B-21")),
         "devices[0].burnedInAddress: \"00-1B-21\" is not a MAC address"},
        {Minimal(replaced("\"index\": 5", "\"index\": 1")),
         "devices[0].interface.index: 1 is out of range"},
        {Minimal(device + "," + replaced("\\\\0001", "\\\\0002")),
         "devices[1].interface.index: 5 is also the index of devices[0]"},
        {Minimal(device + "," + device),
         "devices[1].driverKey: \"{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001\" is also"},
        {Minimal(replaced("\\\\0001", "\\\\0003")), "devices[0]: its class key"},
        {Minimal(replaced("\"index\": 5}", "\"index\": 5}, \"driver\": \"wifi\"")),
         "devices[0].driver: \"wifi\" is not a driver profile"},
        {Minimal(replaced("\"index\": 5}",
                          "\"index\": 5}, \"disabled\": true, \"live\": {\"macAddress\": "
                          "\"00-1B-21-3A-4F-5C\"}")),
         "devices[0].live.running: a disabled or absent device cannot be running"},
        {Minimal(device, R"(, "HKLM\\Software\\X": {"Blob": {"type": "REG_BINARY", "hex": "0G"}})"),
         "registry[\"HKLM\\Software\\X\"][\"Blob\"].hex: must hold pairs of hex digits"},
        {Minimal(device, R"(, "HKEY_NOWHERE\\X": {})"),
         "registry[\"HKEY_NOWHERE\\X\"]: a key path must start with"},
        {Minimal(device, R"(, "HKLM\\Software\\X": {"A": 1, "a": 2})"),
         "[\"a\"]: the value is listed twice"},
        {Minimal(device, R"(, "HKLM\\Software\\X": {"A": 4294967296})"),
         "[\"A\"]: 4294967296 is out of range"},
        {Minimal(device, R"(, "HKLM\\Software\\X": {"A": true})"),
         "[\"A\"]: must be text (REG_SZ)"},
    };
    for (const auto& test : cases) {
        Machine machine;
        try {
            LoadMachineText(test.text, "bad.json", machine);
            ADD_FAILURE() << "accepted: " << test.text;
        } catch (const MachineFileError& error) {
            EXPECT_NE(std::string(error.what()).find(test.message), std::string::npos)
                << "message: " << error.what() << "\nexpected to contain: " << test.message;
        }
        // Nothing of a refused file reaches the machine.
        EXPECT_TRUE(machine.devices.Devices().empty());
        EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, "SYSTEM"));
        EXPECT_EQ(machine.system.version.major, 10u);
    }
}

TEST(MachineFileTest, MissingFileAndUnwritableTargetAreReported) {
    testing::TempDir dir;
    Machine machine;
    EXPECT_THROW(machine.Load(dir.Path() / "absent.json"), MachineFileError);
    EXPECT_THROW(machine.Save(dir.Path() / "no-such-folder" / "machine.json"), MachineFileError);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

}  // namespace
}  // namespace vexav6::sim
