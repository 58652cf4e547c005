#include "settings/CMemorySettingsStore.h"
#include "settings/StoreValueRules.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(MemorySettingsStoreTest, TwoThreadsWritingAndReadingKeepEveryValue) {
    CMemorySettingsStore store;
    constexpr int kRounds = 2000;
    auto work = [&store](const std::string& section) {
        for (int i = 0; i < kRounds; ++i) {
            store.WriteProfileInt(section, "counter", i);
            store.WriteProfileString(section, "key" + std::to_string(i % 10), std::to_string(i));
            (void)store.GetProfileInt(section == "a" ? "b" : "a", "counter", 0);
        }
    };
    std::thread first(work, "a");
    std::thread second(work, "b");
    first.join();
    second.join();
    EXPECT_EQ(store.GetProfileInt("a", "counter", -1), kRounds - 1);
    EXPECT_EQ(store.GetProfileInt("b", "counter", -1), kRounds - 1);
    EXPECT_EQ(store.GetProfileString("b", "key9", ""), std::to_string(kRounds - 1));
    EXPECT_EQ(store.GetValueCount(), 22u);
}

TEST(StoreValueRulesTest, IntegersParseStrictlyWithinThirtyTwoBits) {
    using StoreValueRules::ParseInt;
    EXPECT_EQ(ParseInt("0"), 0);
    EXPECT_EQ(ParseInt(" -17 "), -17);
    EXPECT_EQ(ParseInt("+8"), 8);
    EXPECT_EQ(ParseInt("2147483647"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ParseInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_FALSE(ParseInt("2147483648"));
    EXPECT_FALSE(ParseInt("-2147483649"));
    EXPECT_FALSE(ParseInt("99999999999999999999999"));
    EXPECT_FALSE(ParseInt(""));
    EXPECT_FALSE(ParseInt("-"));
    EXPECT_FALSE(ParseInt("12abc"));
    EXPECT_FALSE(ParseInt("1 2"));
    EXPECT_FALSE(ParseInt("0x10"));
}

TEST(StoreValueRulesTest, NamesAreLowerCasedAsciiOnly) {
    using StoreValueRules::NormalizeName;
    EXPECT_EQ(NormalizeName("ColorData"), "colordata");
    EXPECT_EQ(NormalizeName("qmx2001-SCBar-59420"), "qmx2001-scbar-59420");
    EXPECT_EQ(NormalizeName("\xC3\x84rger"), "\xC3\x84rger"); // bytes above ASCII untouched
    EXPECT_FALSE(NormalizeName(""));
    EXPECT_FALSE(NormalizeName("a/b"));
    EXPECT_FALSE(NormalizeName("a\\b"));
}

} // namespace
