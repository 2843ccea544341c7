#include "system/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/registry_scratch.h"

namespace vexav6 {
namespace {

using namespace std::string_literals;
using platform::RootKey;
using vexav6::testing::RegistryBackend;
using vexav6::testing::RegistryScratch;
namespace regtype = platform::regtype;
namespace status = platform::status;
using Stored = std::pair<uint32_t, std::string>;

// Runs on the simulated registry and, in the Windows suite, on the real one as well. Every test
// ends with no key left open.
class RegistryTest : public ::testing::TestWithParam<RegistryBackend> {
  protected:
    void TearDown() override { EXPECT_EQ(scratch.OpenHandleCount(), 0u) << "a key was left open"; }

    RegistryScratch scratch{GetParam()};
    const Platform& p = scratch.GetPlatform();
    const RootKey root = scratch.Root();
    const std::string key = scratch.Path();
};

TEST_P(RegistryTest, StringReadsDropOnlyTheStoredTerminator) {
    scratch.Put("", "Three", regtype::kSz, "abc\0"s);
    scratch.Put("", "Servers", regtype::kMultiSz,
                "10.0.0.1\0"
                "10.0.0.2\0\0"s);
    std::string text;
    EXPECT_EQ(Registry::ReadStringValue(p, root, key, "Three", text), status::kSuccess);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(Registry::ReadStringValue(p, root, key, "servers", text), status::kSuccess);
    EXPECT_EQ(text,
              "10.0.0.1\0"
              "10.0.0.2\0"s);

    // A persistent route is a string value without data: reading it leaves the text alone.
    const char* route = "0.0.0.0,0.0.0.0,10.0.0.1,1";
    EXPECT_EQ(Registry::WriteRawValue(p, root, key, route, nullptr, 0, regtype::kSz), 0u);
    EXPECT_EQ(scratch.Stored("", route), Stored(regtype::kSz, ""));
    EXPECT_EQ(Registry::ReadStringValue(p, root, key, route, text), status::kSuccess);
    EXPECT_EQ(text,
              "10.0.0.1\0"
              "10.0.0.2\0"s);
}

TEST_P(RegistryTest, MissingValuesAndKeysAnswer2AndLeaveEveryOutputAlone) {
    scratch.Put("", "Present", regtype::kDword, "\1\0\0\0"s);
    const std::string noKey = scratch.Path("NoSuchKey");
    std::string text = "keep";
    std::vector<uint8_t> bytes{9};
    uint32_t type = 77;
    uint32_t raw = 0xAAAAAAAA;
    std::vector<std::string> names{"keep"};
    std::vector<uint32_t> types{42};
    EXPECT_EQ(Registry::ReadStringValue(p, root, key, "Absent", text), 2u);
    EXPECT_EQ(Registry::ReadBinaryValue(p, root, key, "Absent", bytes, type), 2u);
    EXPECT_EQ(Registry::ReadRawValue(p, root, key, "Absent", &raw, 4, type), 2u);
    EXPECT_EQ(Registry::ReadStringValue(p, root, noKey, "Present", text), 2u);
    EXPECT_EQ(Registry::EnumValues(p, root, noKey, names, types), 2u);
    EXPECT_EQ(Registry::DeleteValue(p, root, key, "Absent"), 2u);
    EXPECT_EQ(Registry::DeleteKeyTree(p, root, noKey), 2u);
    EXPECT_EQ(text, "keep");
    EXPECT_EQ(bytes, std::vector<uint8_t>{9});
    EXPECT_EQ(type, 77u);
    EXPECT_EQ(raw, 0xAAAAAAAAu);
    EXPECT_EQ(names, std::vector<std::string>{"keep"});
    EXPECT_EQ(types, std::vector<uint32_t>{42});
}

TEST_P(RegistryTest, BinaryAndRawValuesRoundTrip) {
    std::vector<uint8_t> bytes{1, 2};
    uint32_t type = 0;
    EXPECT_EQ(Registry::WriteBinaryValue(p, root, key, "Empty", {}, regtype::kBinary), 0u);
    EXPECT_EQ(scratch.Stored("", "Empty"), Stored(regtype::kBinary, ""));
    EXPECT_EQ(Registry::ReadBinaryValue(p, root, key, "Empty", bytes, type), 0u);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(type, regtype::kBinary);
    const std::vector<uint8_t> blob{0, 1, 0xFE, 0xFF, 0};
    EXPECT_EQ(Registry::WriteBinaryValue(p, root, key, "Blob", blob, regtype::kBinary), 0u);
    EXPECT_EQ(Registry::ReadBinaryValue(p, root, key, "Blob", bytes, type), 0u);
    EXPECT_EQ(bytes, blob);

    const uint32_t bias = 0xFFFFFED4;  // -300 minutes
    uint32_t back = 0;
    EXPECT_EQ(Registry::WriteRawValue(p, root, key, "Bias", &bias, 4, regtype::kDword), 0u);
    EXPECT_EQ(Registry::ReadRawValue(p, root, key, "Bias", &back, 4, type), 0u);
    EXPECT_EQ(back, bias);
    EXPECT_EQ(type, regtype::kDword);
    // A buffer too small for the value: more data, and neither buffer nor type is touched.
    uint16_t small = 0xBEEF;
    type = 99;
    EXPECT_EQ(Registry::ReadRawValue(p, root, key, "Bias", &small, 2, type), status::kMoreData);
    EXPECT_EQ(small, 0xBEEF);
    EXPECT_EQ(type, 99u);
}

TEST_P(RegistryTest, NamesAndTextOutsideAsciiSurvive) {
    const std::string below = "Verbindung \xC3\x84 \xD0\xA1\xD0\xB5\xD1\x82\xD1\x8C";
    const std::string path = scratch.Path(below);
    const std::string name = "\xD0\x98\xD0\xBC\xD1\x8F";
    const std::string value = "\xCE\x94\xCE\xAF\xCE\xBA\xCF\x84\xCF\x85\xCE\xBF \xE2\x98\x83";
    ASSERT_EQ(Registry::CreateKey(p, root, path), status::kSuccess);
    ASSERT_EQ(Registry::WriteStringValue(p, root, path, name, value, regtype::kSz), 0u);
    // Written without a terminator, stored with one; sizes count UTF-8 bytes.
    EXPECT_EQ(scratch.Stored(below, name), Stored(regtype::kSz, value + '\0'));
    std::string text;
    EXPECT_EQ(Registry::ReadStringValue(p, root, path, name, text), status::kSuccess);
    EXPECT_EQ(text, value);
    std::vector<std::string> names;
    std::vector<uint32_t> types;
    EXPECT_EQ(Registry::EnumValues(p, root, path, names, types), status::kSuccess);
    EXPECT_EQ(names, std::vector<std::string>{name});
    EXPECT_EQ(Registry::DeleteKeyTree(p, root, path), status::kSuccess);
    EXPECT_FALSE(scratch.KeyExists(below));
}

TEST_P(RegistryTest, EnumValuesListsEveryNameWithItsType) {
    std::vector<std::string> names{"untouched"};
    std::vector<uint32_t> types{42};
    ASSERT_EQ(Registry::CreateKey(p, root, scratch.Path("Empty")), status::kSuccess);
    EXPECT_EQ(Registry::EnumValues(p, root, scratch.Path("Empty"), names, types), 0u);
    EXPECT_EQ(names, std::vector<std::string>{"untouched"});
    EXPECT_EQ(types, std::vector<uint32_t>{42});

    const std::vector<std::pair<std::string, uint32_t>> expected{{"", regtype::kSz},
                                                                 {"EnableDHCP", regtype::kDword},
                                                                 {"IPAddress", regtype::kMultiSz},
                                                                 {std::string(300, 'n'), 3}};
    for (const auto& [name, type] : expected) {
        scratch.Put("Full", name, type, "\1\0\0\0"s);
    }
    EXPECT_EQ(Registry::EnumValues(p, root, scratch.Path("Full"), names, types), 0u);
    ASSERT_EQ(names.size(), types.size());
    std::vector<std::pair<std::string, uint32_t>> listed;
    for (size_t i = 0; i < names.size(); ++i) {
        listed.emplace_back(names[i], types[i]);
    }
    std::sort(listed.begin(), listed.end());  // Wine lists values by name, Windows as made
    EXPECT_EQ(listed, expected);
}

TEST_P(RegistryTest, DeleteKeyTreeRemovesEveryLevelAndNothingBeside) {
    for (const char* level : {"Tree", "Tree\\A", "Tree\\A\\B", "Tree\\A\\B\\C", "Tree\\A2"}) {
        scratch.Put(level, "V", regtype::kDword, "\1\0\0\0"s);
        scratch.Put(level, "S", regtype::kSz, "x\0"s);
    }
    // Names longer than the first name buffer.
    scratch.Put("Tree\\A\\B", std::string(300, 'v'), regtype::kBinary, "\1"s);
    scratch.Put("Tree\\A\\" + std::string(200, 'k'), "V", regtype::kDword, "\1\0\0\0"s);
    scratch.Put("TreeKeep", "V", regtype::kDword, "\2\0\0\0"s);

    EXPECT_EQ(Registry::DeleteKeyTree(p, root, scratch.Path("Tree")), status::kSuccess);
    EXPECT_FALSE(scratch.KeyExists("Tree"));
    EXPECT_TRUE(scratch.Stored("TreeKeep", "V").has_value());
    EXPECT_EQ(Registry::DeleteKeyTree(p, root, scratch.Path("Tree")), status::kFileNotFound);
}

TEST_P(RegistryTest, DeleteKeyTreeRefusesAPathThatNamesNoSubkey) {
    scratch.Put("", "V", regtype::kDword, "\1\0\0\0"s);
    for (const std::string& path : {"Vexav6NoSuchKey"s, "\\Vexav6NoSuchKey"s, key + "\\"}) {
        try {
            Registry::DeleteKeyTree(p, root, path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const Error& error) {
            EXPECT_EQ(error.Number(), 1);
            EXPECT_EQ(error.Source(), "DeleteKeyTree");
            EXPECT_EQ(error.Description(), "Invalid key path.");
        }
    }
    EXPECT_TRUE(scratch.Stored("", "V").has_value());
}

TEST_P(RegistryTest, SystemMessagesComeWithoutTheirLineBreak) {
    EXPECT_EQ(Registry::GetSystemErrorMessage(p, 0), "");
    const std::string notFound = Registry::GetSystemErrorMessage(p, status::kFileNotFound);
    EXPECT_FALSE(notFound.empty());
    EXPECT_EQ(notFound + "\r\n", scratch.Api().SystemMessage(status::kFileNotFound));
    EXPECT_EQ(Registry::GetSystemErrorMessage(p, 0xDEAD), "Unknown, function call failed.");
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryTest,
                         ::testing::ValuesIn(vexav6::testing::RegistryBackendsToTest()),
                         [](const auto& backend) {
                             return testing::RegistryBackendName(backend.param);
                         });

TEST(SimulatedRegistryFailureTest, EveryStepPassesItsFailureBackAndKeysAreClosed) {
    using Op = sim::SimRegistry::Op;
    RegistryScratch scratch(RegistryBackend::Simulated);
    sim::SimRegistry& sim = *scratch.Simulated();
    const Platform& p = scratch.GetPlatform();
    const RootKey root = scratch.Root();
    scratch.Put("", "V", regtype::kSz, "old\0"s);
    scratch.Put("Tree\\Sub", "V", regtype::kSz, "x\0"s);
    const std::string key = scratch.Path();
    const std::string newKey = scratch.Path("New");
    const std::string tree = scratch.Path("Tree");
    const std::string sub = scratch.Path("Tree\\Sub");
    std::string text = "keep";
    std::vector<uint8_t> bytes{9};
    uint32_t type = 77;
    std::vector<std::string> names{"keep"};
    std::vector<uint32_t> types{42};

    const struct {
        Op op;
        std::string path;
        std::function<platform::Status()> call;
    } cases[] = {
        {Op::Open, key, [&] { return Registry::ReadStringValue(p, root, key, "V", text); }},
        {Op::Query, key, [&] { return Registry::ReadBinaryValue(p, root, key, "V", bytes, type); }},
        {Op::Set, key, [&] { return Registry::WriteStringValue(p, root, key, "V", "new", 1); }},
        {Op::DeleteValue, key, [&] { return Registry::DeleteValue(p, root, key, "V"); }},
        {Op::Create, newKey, [&] { return Registry::CreateKey(p, root, newKey); }},
        {Op::QueryInfo, key, [&] { return Registry::EnumValues(p, root, key, names, types); }},
        {Op::EnumValue, key, [&] { return Registry::EnumValues(p, root, key, names, types); }},
        {Op::EnumValue, sub, [&] { return Registry::DeleteKeyTree(p, root, tree); }},
        {Op::DeleteValue, sub, [&] { return Registry::DeleteKeyTree(p, root, tree); }},
        {Op::EnumKey, tree, [&] { return Registry::DeleteKeyTree(p, root, tree); }},
        {Op::DeleteKey, sub, [&] { return Registry::DeleteKeyTree(p, root, tree); }},
        {Op::Open, key, [&] { return Registry::DeleteKeyTree(p, root, tree); }},  // the parent
    };
    platform::Status code = 1000;
    for (const auto& c : cases) {
        sim.InjectFailure(c.op, root, c.path, "", ++code);
        EXPECT_EQ(c.call(), code) << "case " << code - 1000;
        EXPECT_EQ(sim.OpenHandleCount(), 0u) << "case " << code - 1000;
        sim.ClearFailures();
    }
    EXPECT_EQ(text, "keep");
    EXPECT_EQ(bytes, std::vector<uint8_t>{9});
    EXPECT_EQ(type, 77u);
    EXPECT_EQ(names, std::vector<std::string>{"keep"});
    EXPECT_EQ(types, std::vector<uint32_t>{42});
    EXPECT_EQ(scratch.Stored("", "V"), Stored(regtype::kSz, "old\0"s));
    EXPECT_FALSE(scratch.KeyExists("New"));
    EXPECT_TRUE(scratch.KeyExists("Tree"));  // what went before a failed step stays gone
}

// A simulated registry that changes between the reader's calls, as another program might.
class ChangingRegistry : public sim::SimRegistry {
  public:
    platform::Status QueryValue(platform::KeyHandle key, std::string_view name, uint32_t* type,
                                uint8_t* data, uint32_t* size) override {
        if (data != nullptr && beforeDataRead) {
            std::exchange(beforeDataRead, nullptr)();
        }
        return SimRegistry::QueryValue(key, name, type, data, size);
    }
    platform::Status QueryInfoKey(platform::KeyHandle key, platform::KeyInfo& info) override {
        const platform::Status result = SimRegistry::QueryInfoKey(key, info);
        if (afterQueryInfo) {
            std::exchange(afterQueryInfo, nullptr)();
        }
        return result;
    }

    std::function<void()> beforeDataRead;
    std::function<void()> afterQueryInfo;
};

TEST(RegistryChangingUnderTheReaderTest, ReadsWhatIsThereAtTheRead) {
    sim::Machine machine;
    ChangingRegistry registry;
    const Platform p{registry,     machine.devices, machine.ipStack, machine.system,
                     machine.http, machine.timers,  machine.ui};
    const RootKey lm = RootKey::LocalMachine;
    registry.PutString(lm, "K", "V", "short");
    std::string text;
    registry.beforeDataRead = [&] { registry.PutString(lm, "K", "V", "a much longer text"); };
    EXPECT_EQ(Registry::ReadStringValue(p, lm, "K", "V", text), status::kSuccess);
    EXPECT_EQ(text, "a much longer text");
    registry.beforeDataRead = [&] { registry.PutString(lm, "K", "V", "ab"); };
    EXPECT_EQ(Registry::ReadStringValue(p, lm, "K", "V", text), status::kSuccess);
    EXPECT_EQ(text, "ab");

    // A name that grew after the key was measured gets a larger buffer, up to the limit.
    const std::string longer(40, 'L');
    registry.PutDword(lm, "E", "Short", 1);
    registry.afterQueryInfo = [&] {
        registry.RemoveValue(lm, "E", "Short");
        registry.PutDword(lm, "E", longer, 2);
    };
    std::vector<std::string> names;
    std::vector<uint32_t> types;
    EXPECT_EQ(Registry::EnumValues(p, lm, "E", names, types), status::kSuccess);
    EXPECT_EQ(names, std::vector<std::string>{longer});
    registry.afterQueryInfo = [&] {
        registry.RemoveValue(lm, "E", longer);
        registry.PutDword(lm, "E", std::string(5000, 'X'), 3);
    };
    EXPECT_EQ(Registry::EnumValues(p, lm, "E", names, types), status::kMoreData);
    EXPECT_EQ(names, std::vector<std::string>{longer});
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace vexav6
