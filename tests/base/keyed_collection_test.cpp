#include "base/keyed_collection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexav6 {
namespace {

template <class T>
int32_t ErrorNumberOf(T&& call) {
    try {
        call();
    } catch (const Error& e) {
        return e.Number();
    }
    return 0;
}

TEST(KeyedCollection, KeepsInsertionOrderAndFindsKeysWithoutRegardToCase) {
    KeyedCollection<std::string> list;
    list.Add("first", "{B0}");
    list.Add("second", "{a1}");
    list.Add("third", "Local Area Connection");
    list.Add("fourth", "Caf\u00e9");

    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Item(1), "first");
    EXPECT_EQ(list.Item(3), "third");
    EXPECT_EQ(list.Item("{A1}"), "second");
    EXPECT_EQ(list.Item("local area CONNECTION"), "third");
    EXPECT_EQ(list.Key(2), "{a1}");  // as it was given
    EXPECT_TRUE(list.Contains("{b0}"));
    EXPECT_FALSE(list.Contains("{C2}"));
    EXPECT_EQ(list.Item("CAF\u00c9"), "fourth");  // beyond ASCII too

    std::vector<std::string> seen(list.begin(), list.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "second", "third", "fourth"}));
}

TEST(KeyedCollection, DuplicateKeyFailsAndLeavesTheListAsItWas) {
    KeyedCollection<int> list;
    list.Add(1, "10.0.0.1");
    EXPECT_EQ(ErrorNumberOf([&] { list.Add(2, "10.0.0.1"); }), errnum::kDuplicateKey);
    EXPECT_EQ(ErrorNumberOf([&] {
                  list.Add(2, "Preset");
                  list.Add(3, "PRESET");
              }),
              errnum::kDuplicateKey);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item("preset"), 2);
}

TEST(KeyedCollection, UnknownKeyAndPositionFailWithTheirOwnNumbers) {
    KeyedCollection<int> list;
    list.Add(7, "a");
    EXPECT_EQ(ErrorNumberOf([&] { list.Item("b"); }), errnum::kInvalidProcedureCall);
    EXPECT_EQ(ErrorNumberOf([&] { list.Item(0); }), errnum::kSubscriptOutOfRange);
    EXPECT_EQ(ErrorNumberOf([&] { list.Item(2); }), errnum::kSubscriptOutOfRange);
    EXPECT_EQ(ErrorNumberOf([&] { list.Remove("b"); }), errnum::kInvalidProcedureCall);
    EXPECT_EQ(list.Item(CollectionIndex{std::string("A")}), 7);
    EXPECT_EQ(list.Item(CollectionIndex{1}), 7);
}

TEST(KeyedCollection, RemovingKeepsKeysAndPositionsOfTheOthersValid) {
    KeyedCollection<int> list;
    for (int i = 1; i <= 5; ++i) {
        list.Add(i, "k" + std::to_string(i));
    }
    list.Remove(2);
    list.Remove("K4");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(2), 3);
    EXPECT_EQ(list.Item("k5"), 5);
    EXPECT_EQ(list.Item(3), 5);
    // A removed key may be used again, and goes to the end.
    list.Add(22, "k2");
    EXPECT_EQ(list.Item(4), 22);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.Contains("k1"));
}

TEST(Error, WithoutASourceReportsTheProjectName) {
    const Error e(1, "", "Invalid MAC address.");
    EXPECT_EQ(e.Source(), "Vexav6");
    EXPECT_EQ(Error(1, "AdapterInfo.Init", "Init already done").Source(), "AdapterInfo.Init");
    EXPECT_EQ(Error::Overflow().Description(), "Overflow");
    EXPECT_EQ(Error::SubscriptOutOfRange().Number(), 9);
}

TEST(Error, CurrentExceptionKeepsOurErrorsAndNamesOthers) {
    try {
        throw Error(234, "Registry", "More data is available.");
    } catch (...) {
        const Error e = CurrentExceptionAsError();
        EXPECT_EQ(e.Number(), 234);
        EXPECT_EQ(e.Source(), "Registry");
    }
    try {
        throw std::bad_alloc();
    } catch (...) {
        EXPECT_EQ(CurrentExceptionAsError().Number(), errnum::kOutOfMemory);
    }
}

}  // namespace
}  // namespace vexav6
