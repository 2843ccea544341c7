// The registry interface as the program relies on it, checked on the simulated registry and, in the
// Windows suite, on the real one through the Windows back-end: what passes here on both is what
// lets the simulation stand in for Windows.
#include <gtest/gtest.h>

#include <string>

#include "support/registry_scratch.h"

namespace vexav6 {
namespace {

using namespace std::string_literals;
using platform::KeyHandle;
using vexav6::testing::RegistryBackend;
namespace access = platform::access;
namespace regtype = platform::regtype;
namespace status = platform::status;

class RegistryContractTest : public ::testing::TestWithParam<RegistryBackend> {
  protected:
    void TearDown() override {
        for (const KeyHandle key : opened_) {
            api.CloseKey(key);
        }
        EXPECT_EQ(scratch.OpenHandleCount(), 0u);
    }

    KeyHandle Open(std::string_view below, uint32_t rights = access::kKeyRead) {
        KeyHandle key = 0;
        EXPECT_EQ(api.OpenKey(scratch.Root(), scratch.Path(below), rights, key), status::kSuccess);
        opened_.push_back(key);
        return key;
    }

    vexav6::testing::RegistryScratch scratch{GetParam()};
    platform::RegistryApi& api = scratch.Api();

  private:
    std::vector<KeyHandle> opened_;
};

TEST_P(RegistryContractTest, SizesAndNameLengthsCountUtf8Bytes) {
    const std::string name = "\xD0\x98\xD0\xBC\xD1\x8F";            // "Имя": 6 bytes
    const std::string subKey = "\xD0\xA1\xD0\xB5\xD1\x82\xD1\x8C";  // "Сеть": 8 bytes
    scratch.Put("", name, regtype::kSz, "\xCE\x94"s);               // "Δ", stored with its zero
    scratch.Put(subKey, "V", regtype::kDword, "\1\0\0\0"s);
    const KeyHandle key = Open("");

    platform::KeyInfo info;
    ASSERT_EQ(api.QueryInfoKey(key, info), status::kSuccess);
    EXPECT_EQ(info.values, 1u);
    EXPECT_EQ(info.maxValueNameLength, 6u);
    EXPECT_EQ(info.maxValueLength, 3u);
    EXPECT_EQ(info.subKeys, 1u);
    EXPECT_EQ(info.maxSubKeyLength, 8u);

    std::string found = "untouched";
    uint32_t type = 0;
    EXPECT_EQ(api.EnumValue(key, 0, 6, found, &type), status::kMoreData);
    EXPECT_EQ(found, "untouched");
    EXPECT_EQ(api.EnumValue(key, 0, 7, found, &type), status::kSuccess);
    EXPECT_EQ(found, name);
    EXPECT_EQ(type, regtype::kSz);
    EXPECT_EQ(api.EnumValue(key, 1, 64, found, &type), status::kNoMoreItems);
    EXPECT_EQ(api.EnumKey(key, 0, 8, found), status::kMoreData);
    EXPECT_EQ(api.EnumKey(key, 0, 9, found), status::kSuccess);
    EXPECT_EQ(found, subKey);
    EXPECT_EQ(api.EnumKey(key, 1, 64, found), status::kNoMoreItems);
}

TEST_P(RegistryContractTest, StringDataGetsAClosingZeroOnlyWhenItHasDataWithoutOne) {
    scratch.Put("", "Expand", regtype::kExpandSz, "%SystemRoot%"s);
    scratch.Put("", "Multi", regtype::kMultiSz, "a\0b"s);
    scratch.Put("", "Closed", regtype::kMultiSz, "a\0\0"s);
    scratch.Put("", "EmptyMulti", regtype::kMultiSz, "");
    scratch.Put("", "Binary", regtype::kBinary, "ab"s);
    using Stored = std::pair<uint32_t, std::string>;
    EXPECT_EQ(scratch.Stored("", "Expand"), Stored(regtype::kExpandSz, "%SystemRoot%\0"s));
    EXPECT_EQ(scratch.Stored("", "Multi"), Stored(regtype::kMultiSz, "a\0b\0"s));
    EXPECT_EQ(scratch.Stored("", "Closed"), Stored(regtype::kMultiSz, "a\0\0"s));
    EXPECT_EQ(scratch.Stored("", "EmptyMulti"), Stored(regtype::kMultiSz, ""));
    EXPECT_EQ(scratch.Stored("", "Binary"), Stored(regtype::kBinary, "ab"));
}

TEST_P(RegistryContractTest, RightsSubkeysAndHandlesAnswerAsWindowsDoes) {
    scratch.Put("Parent\\Child\\Grandchild", "V", regtype::kDword, "\1\0\0\0"s);
    const KeyHandle readOnly = Open("Parent");
    const uint8_t one = 1;
    EXPECT_EQ(api.SetValue(readOnly, "V", regtype::kBinary, &one, 1), status::kAccessDenied);
    EXPECT_EQ(api.DeleteValue(readOnly, "V"), status::kAccessDenied);

    const KeyHandle parent = Open("Parent", access::kKeyWrite);
    const KeyHandle grandchild = Open("Parent\\Child\\Grandchild");
    EXPECT_EQ(api.DeleteKey(parent, "Child"), status::kAccessDenied);  // it still has a subkey
    EXPECT_EQ(api.DeleteKey(parent, "Child\\Grandchild"), status::kSuccess);
    uint32_t size = 0;
    EXPECT_EQ(api.QueryValue(grandchild, "V", nullptr, nullptr, &size), status::kKeyDeleted);
    EXPECT_EQ(api.DeleteKey(parent, "Child"), status::kSuccess);
    EXPECT_EQ(api.DeleteKey(parent, "Child"), status::kFileNotFound);

    // Handles never handed out, or closed already, are refused.
    KeyHandle closed = 0;
    ASSERT_EQ(api.OpenKey(scratch.Root(), scratch.Path(), access::kKeyRead, closed), 0u);
    EXPECT_EQ(api.CloseKey(closed), status::kSuccess);
    EXPECT_EQ(api.QueryValue(closed, "V", nullptr, nullptr, &size), status::kInvalidHandle);
    EXPECT_EQ(api.CloseKey(closed), status::kInvalidHandle);
    EXPECT_EQ(api.CloseKey(0), status::kInvalidHandle);
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryContractTest,
                         ::testing::ValuesIn(vexav6::testing::RegistryBackendsToTest()),
                         [](const auto& backend) {
                             return vexav6::testing::RegistryBackendName(backend.param);
                         });

}  // namespace
}  // namespace vexav6
