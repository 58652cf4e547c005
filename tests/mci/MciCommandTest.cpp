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

TEST(MciCommandTest, QuotedPathIsOneWordWithItsCaseAndBlanks) {
    CMciCommand command;
    ASSERT_TRUE(command.Parse("open \"/Music/My Song.MP3\" alias mpeg wait"));
    EXPECT_EQ(command.Device(), "/Music/My Song.MP3");
    EXPECT_TRUE(command.TakeFlag("WAIT"));
    std::string alias;
    EXPECT_TRUE(command.TakeValue("alias", alias));
    EXPECT_EQ(alias, "mpeg");
    EXPECT_FALSE(command.HasRest());
}

TEST(MciCommandTest, ValuesAndFlagsAreTakenWhereverTheyStand) {
    CMciCommand command;
    ASSERT_TRUE(command.Parse("play mpeg notify from 1000 to 2000"));
    std::string from;
    std::string to;
    EXPECT_TRUE(command.TakeValue("to", to));
    EXPECT_TRUE(command.TakeFlag("notify"));
    EXPECT_TRUE(command.TakeValue("from", from));
    EXPECT_EQ(from, "1000");
    EXPECT_EQ(to, "2000");
    EXPECT_FALSE(command.TakeFlag("wait"));
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
