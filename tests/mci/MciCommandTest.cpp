#include "platform/mci/CMciCommand.h"

#include <gtest/gtest.h>

TEST(MciCommandTest, SplitsVerbDeviceAndWords) {
    CMciCommand command;
    ASSERT_TRUE(command.Parse("  Set   mpeg time\tformat TMSF  "));
    EXPECT_EQ(command.Verb(), "set");
    EXPECT_EQ(command.Device(), "mpeg");
    EXPECT_TRUE(command.TakeWords({"TIME", "format"}));
    EXPECT_EQ(command.TakeNext(), "TMSF");
    EXPECT_FALSE(command.HasRest());
}

TEST(MciCommandTest, NumbersAreDecimalAndNotNegative) {
    std::int64_t value = -1;
    EXPECT_TRUE(CMciCommand::ParseNumber("0", value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(CMciCommand::ParseNumber("195000", value));
    EXPECT_EQ(value, 195000);
    EXPECT_FALSE(CMciCommand::ParseNumber("-5", value));
    EXPECT_FALSE(CMciCommand::ParseNumber("12abc", value));
    EXPECT_FALSE(CMciCommand::ParseNumber("", value));
    EXPECT_FALSE(CMciCommand::ParseNumber("99999999999999999999999", value));
}
