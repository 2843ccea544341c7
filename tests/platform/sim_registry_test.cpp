#include "platform/sim/sim_registry.h"

#include <gtest/gtest.h>

#include <string>

namespace vexav6::sim {
namespace {

using platform::KeyHandle;
using platform::RootKey;
namespace access = platform::access;
namespace regtype = platform::regtype;
namespace status = platform::status;

constexpr const char* kClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0007";

class SimRegistryTest : public ::testing::Test {
  protected:
    KeyHandle Open(std::string_view path, uint32_t rights = access::kKeyRead) {
        KeyHandle key = 0;
        EXPECT_EQ(registry.OpenKey(RootKey::LocalMachine, path, rights, key), status::kSuccess);
        return key;
    }

    SimRegistry registry;
};

TEST_F(SimRegistryTest, NamesCompareWithoutRegardToCase) {
    registry.PutString(RootKey::LocalMachine, kClassKey, "NetworkAddress", "0A1B2C3D4E5F");
    const KeyHandle key = Open(
        "system\\currentcontrolset\\CONTROL\\class\\{4d36e972-e325-11ce-bfc1-08002be10318}\\0007");
    uint32_t size = 0;
    uint32_t type = 0;
    EXPECT_EQ(registry.QueryValue(key, "networkADDRESS", &type, nullptr, &size), status::kSuccess);
    EXPECT_EQ(type, regtype::kSz);
    EXPECT_EQ(size, 13u);  // twelve digits and the stored terminator
    EXPECT_EQ(registry.CloseKey(key), status::kSuccess);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(SimRegistryTest, QueryAnswersSizesAndMoreDataLikeWindows) {
    registry.PutBinary(RootKey::LocalMachine, "K", "Blob", {1, 2, 3, 4, 5});
    const KeyHandle key = Open("K");
    uint8_t small[2] = {};
    uint32_t size = sizeof small;
    EXPECT_EQ(registry.QueryValue(key, "Blob", nullptr, small, &size), status::kMoreData);
    EXPECT_EQ(size, 5u);
    uint8_t big[8] = {};
    size = sizeof big;
    EXPECT_EQ(registry.QueryValue(key, "Blob", nullptr, big, &size), status::kSuccess);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(big[4], 5);
    EXPECT_EQ(registry.QueryValue(key, "Missing", nullptr, nullptr, &size), status::kFileNotFound);
    registry.CloseKey(key);
}

TEST_F(SimRegistryTest, StringValuesGetATerminatorWhenTheyHaveNone) {
    KeyHandle key = 0;
    ASSERT_EQ(registry.CreateKey(RootKey::LocalMachine, "A\\B\\C", access::kKeyWrite, key),
              status::kSuccess);
    const std::string three = "abc";
    EXPECT_EQ(registry.SetValue(key, "Sz", regtype::kSz,
                                reinterpret_cast<const uint8_t*>(three.data()), 3),
              status::kSuccess);
    const std::string multi("1.1.1.1\0002.2.2.2\000\000", 17);
    EXPECT_EQ(registry.SetValue(key, "Multi", regtype::kMultiSz,
                                reinterpret_cast<const uint8_t*>(multi.data()), 17),
              status::kSuccess);
    EXPECT_EQ(registry.SetValue(key, "Empty", regtype::kBinary, nullptr, 0), status::kSuccess);
    registry.CloseKey(key);

    EXPECT_EQ(registry.Get(RootKey::LocalMachine, "A\\B\\C", "Sz")->data.size(), 4u);
    EXPECT_EQ(registry.Get(RootKey::LocalMachine, "A\\B\\C", "Multi")->data.size(), 17u);
    EXPECT_TRUE(registry.Get(RootKey::LocalMachine, "A\\B\\C", "Empty")->data.empty());
    EXPECT_EQ(*registry.GetMultiString(RootKey::LocalMachine, "A\\B\\C", "Multi"),
              (std::vector<std::string>{"1.1.1.1", "2.2.2.2"}));
    EXPECT_TRUE(registry.KeyExists(RootKey::LocalMachine, "a\\b"));
}

TEST_F(SimRegistryTest, KeysOpenedForReadingRefuseChanges) {
    registry.CreateKeyDirect(RootKey::LocalMachine, "K");
    const KeyHandle key = Open("K");
    const uint8_t one = 1;
    EXPECT_EQ(registry.SetValue(key, "V", regtype::kBinary, &one, 1), status::kAccessDenied);
    EXPECT_EQ(registry.DeleteValue(key, "V"), status::kAccessDenied);
    registry.CloseKey(key);
}

TEST_F(SimRegistryTest, LocalMachineCanBeMadeReadOnlyAsForAUserWithoutRights) {
    registry.CreateKeyDirect(RootKey::LocalMachine, "K");
    registry.localMachineReadOnly = true;
    KeyHandle key = 0;
    EXPECT_EQ(registry.OpenKey(RootKey::LocalMachine, "K", access::kKeyWrite, key),
              status::kAccessDenied);
    EXPECT_EQ(registry.CreateKey(RootKey::LocalMachine, "New", access::kKeyWrite, key),
              status::kAccessDenied);
    EXPECT_EQ(registry.CreateKey(RootKey::CurrentUser, "Software\\X", access::kKeyWrite, key),
              status::kSuccess);
    registry.CloseKey(key);
}

TEST_F(SimRegistryTest, EnumerationReportsMoreDataForShortBuffersAndEndsWith259) {
    registry.PutDword(RootKey::LocalMachine, "K", "Short", 1);
    registry.PutDword(RootKey::LocalMachine, "K", "AMuchLongerValueName", 2);
    registry.CreateKeyDirect(RootKey::LocalMachine, "K\\zeta");
    registry.CreateKeyDirect(RootKey::LocalMachine, "K\\Alpha");
    const KeyHandle key = Open("K");
    platform::KeyInfo info;
    ASSERT_EQ(registry.QueryInfoKey(key, info), status::kSuccess);
    EXPECT_EQ(info.values, 2u);
    EXPECT_EQ(info.maxValueNameLength, 20u);
    EXPECT_EQ(info.subKeys, 2u);

    std::string name;
    uint32_t type = 0;
    EXPECT_EQ(registry.EnumValue(key, 1, 20, name, &type), status::kMoreData);
    EXPECT_EQ(registry.EnumValue(key, 1, 21, name, &type), status::kSuccess);
    EXPECT_EQ(name, "AMuchLongerValueName");
    EXPECT_EQ(type, regtype::kDword);
    EXPECT_EQ(registry.EnumValue(key, 2, 64, name, &type), status::kNoMoreItems);
    // Subkeys come in alphabetical order, whatever the order they were made in.
    EXPECT_EQ(registry.EnumKey(key, 0, 64, name), status::kSuccess);
    EXPECT_EQ(name, "Alpha");
    EXPECT_EQ(registry.EnumKey(key, 2, 64, name), status::kNoMoreItems);
    registry.CloseKey(key);
}

TEST_F(SimRegistryTest, DeleteKeyOnlyDeletesKeysWithoutSubkeys) {
    registry.PutDword(RootKey::LocalMachine, "P\\Child\\Grandchild", "V", 1);
    const KeyHandle parent = Open("P", access::kKeyWrite);
    EXPECT_EQ(registry.DeleteKey(parent, "Child"), status::kAccessDenied);
    EXPECT_EQ(registry.DeleteKey(parent, "Child\\Grandchild"), status::kSuccess);
    EXPECT_EQ(registry.DeleteKey(parent, "Child"), status::kSuccess);
    EXPECT_EQ(registry.DeleteKey(parent, "Child"), status::kFileNotFound);
    registry.CloseKey(parent);
    EXPECT_FALSE(registry.KeyExists(RootKey::LocalMachine, "P\\Child"));
}

TEST_F(SimRegistryTest, AHandleToADeletedKeyAnswers1018) {
    registry.PutDword(RootKey::LocalMachine, "P\\Child", "V", 1);
    const KeyHandle child = Open("P\\Child");
    ASSERT_TRUE(registry.RemoveTree(RootKey::LocalMachine, "P\\Child"));
    uint32_t size = 0;
    EXPECT_EQ(registry.QueryValue(child, "V", nullptr, nullptr, &size), status::kKeyDeleted);
    registry.CloseKey(child);
}

TEST_F(SimRegistryTest, InjectedFailuresHitOnlyTheNamedCallsAndRunOut) {
    registry.PutDword(RootKey::LocalMachine, "K", "A", 1);
    registry.PutDword(RootKey::LocalMachine, "K", "B", 2);
    registry.InjectFailure(SimRegistry::Op::Set, RootKey::LocalMachine, "k", "B",
                           status::kAccessDenied);
    const KeyHandle key = Open("K", access::kKeyReadWrite);
    const uint8_t bytes[4] = {9, 0, 0, 0};
    EXPECT_EQ(registry.SetValue(key, "A", regtype::kDword, bytes, 4), status::kSuccess);
    EXPECT_EQ(registry.SetValue(key, "B", regtype::kDword, bytes, 4), status::kAccessDenied);
    EXPECT_EQ(registry.SetValue(key, "B", regtype::kDword, bytes, 4), status::kSuccess);

    registry.InjectFailure(SimRegistry::Op::Query, RootKey::LocalMachine, "K", "", 1234, -1);
    uint32_t size = 0;
    EXPECT_EQ(registry.QueryValue(key, "A", nullptr, nullptr, &size), 1234u);
    EXPECT_EQ(registry.QueryValue(key, "B", nullptr, nullptr, &size), 1234u);
    registry.ClearFailures();
    EXPECT_EQ(registry.QueryValue(key, "B", nullptr, nullptr, &size), status::kSuccess);
    registry.CloseKey(key);
    EXPECT_EQ(*registry.GetDword(RootKey::LocalMachine, "K", "B"), 9u);
}

TEST_F(SimRegistryTest, SystemMessagesEndInALineBreak) {
    EXPECT_EQ(registry.SystemMessage(2), "The system cannot find the file specified.\r\n");
    EXPECT_EQ(registry.SystemMessage(0xDEAD), "");
}

}  // namespace
}  // namespace vexav6::sim
