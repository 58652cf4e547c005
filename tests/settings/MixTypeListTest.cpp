#include "settings/CMixIniReader.h"
#include "settings/CMixTypeList.h"
#include "settings/DefaultMixIni.h"
#include "settings/ProgramFolder.h"

#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using Steps = std::vector<std::int32_t>;
// The program's own mix types, after those of the file.
const int kOwn = static_cast<int>(CMixTypeList::GetBuiltInMixTypes().size());

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> DefaultBytes() {
    const auto bytes = GetDefaultMixIni();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

class MixTypeListTest : public ::testing::Test {
protected:
    std::string Path() const { return m_dir.File("mix.ini"); }

    TempDir m_dir;
    CMixTypeList m_list;
};

TEST_F(MixTypeListTest, FileIsReadOnceUnlessForcedOrItAppearsAfterTheBuiltInTypes) {
    // A missing file gives the built-in types, the linear fade first.
    ASSERT_TRUE(m_list.ReadMixTypesFrom(Path()));
    ASSERT_TRUE(m_list.IsBuiltIn());
    // The shipped file has an "Equal power" of its own: only the radio mix is added.
    EXPECT_EQ(static_cast<std::size_t>(m_list.GetCount()),
              CMixIniReader::Parse(GetDefaultMixIni()).size() + 1);
    EXPECT_EQ(m_list.GetName(m_list.GetCount() - 1), "Radio (next at full volume)");
    Steps in, out, linearIn, linearOut; // twenty steps of 50 each way
    for (std::int32_t i = 1; i <= 20; ++i) {
        linearIn.push_back(50 * i);
        linearOut.push_back(1000 - 50 * i);
    }
    ASSERT_TRUE(m_list.GetFadeIn(0, in));
    ASSERT_TRUE(m_list.GetFadeOut(0, out));
    EXPECT_EQ(in, linearIn);
    EXPECT_EQ(out, linearOut);
    // A file appearing later is picked up without force.
    WriteAll(Path(), Bytes("One\n1000\n0\n"));
    ASSERT_TRUE(m_list.ReadMixTypesFrom(Path()));
    EXPECT_FALSE(m_list.IsBuiltIn());
    EXPECT_EQ(m_list.GetCount(), 1 + kOwn);
    EXPECT_EQ(m_list.GetName(0), "One");
    EXPECT_EQ(m_list.GetName(1), "Equal power");
    EXPECT_EQ(m_list.GetName(2), "Radio (next at full volume)");
    // A file once read is not read again unless forced.
    WriteAll(Path(), Bytes("One\n1000\n0\nTwo\n1000\n0\n"));
    ASSERT_TRUE(m_list.ReadMixTypesFrom(Path()));
    EXPECT_EQ(m_list.GetCount(), 1 + kOwn);
    ASSERT_TRUE(m_list.ReadMixTypesFrom(Path(), true));
    EXPECT_EQ(m_list.GetCount(), 2 + kOwn);
    EXPECT_EQ(m_list.GetName(1), "Two");
    // A forced read of a vanished file falls back.
    std::filesystem::remove(Path());
    ASSERT_TRUE(m_list.ReadMixTypesFrom(Path(), true));
    EXPECT_TRUE(m_list.IsBuiltIn());
    EXPECT_EQ(m_list.GetName(0), "Linear");
}

TEST_F(MixTypeListTest, InvalidIndexAnswersEmptyAndFalseAndGetFadeReplacesTheSteps) {
    // An empty file gives no types of its own, not the built-in ones of mix.ini.
    WriteAll(Path(), {});
    ASSERT_TRUE(m_list.ReadMixTypesFrom(Path()));
    EXPECT_FALSE(m_list.IsBuiltIn());
    EXPECT_EQ(m_list.GetCount(), kOwn);
    EXPECT_FALSE(m_list.IsValidIndex(kOwn));
    Steps steps{42};
    m_list.GetFadeOutOrLinear(kOwn, steps);
    EXPECT_EQ(steps, CMixTypeList::GetLinearFade().m_aFadeOut);

    m_list.SetMixTypes({MixType{"A", {300, 1000}, {600, 0}}});
    EXPECT_TRUE(m_list.IsValidIndex(0));
    EXPECT_FALSE(m_list.IsValidIndex(1));
    EXPECT_FALSE(m_list.IsValidIndex(-1));
    EXPECT_EQ(m_list.GetName(1), "");
    EXPECT_EQ(m_list.GetName(-1), "");
    steps = {42};
    EXPECT_FALSE(m_list.GetFadeIn(1, steps));
    EXPECT_FALSE(m_list.GetFadeOut(-1, steps));
    EXPECT_EQ(steps, (Steps{42}));
    m_list.GetFadeInOrLinear(5, steps);
    EXPECT_EQ(steps, CMixTypeList::GetLinearFade().m_aFadeIn);
    ASSERT_TRUE(m_list.GetFadeIn(0, steps));
    EXPECT_EQ(steps, (Steps{300, 1000}));
    ASSERT_TRUE(m_list.GetFadeOut(0, steps));
    EXPECT_EQ(steps, (Steps{600, 0}));
}

TEST_F(MixTypeListTest, ReadsTheProgramFolderFileAShippedCopyOfWellFormedCurves) {
    // The program folder (MIXOREL_HOME of the test run) gets the built-in file on first use.
    const std::string path = GetMixIniPath();
    EXPECT_EQ(ReadAll(path), DefaultBytes());
    ASSERT_TRUE(m_list.ReadMixTypes(true));
    EXPECT_FALSE(m_list.IsBuiltIn());
    EXPECT_EQ(m_list.GetName(0), "Linear");

    // The built-in copy is the shipped resource byte for byte: whole records of well-formed
    // curves with Unix line breaks.
    const auto bytes = ReadAll(std::string(MIXOREL_TEST_DATA) + "/../../resources/mix.ini");
    EXPECT_EQ(DefaultBytes(), bytes);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.back(), '\n');
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 0);
    auto types = CMixIniReader::Parse(bytes);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), static_cast<long>(3 * types.size()));
    const std::size_t fileTypes = types.size();
    // The program's own types are held to the same rules.
    for (MixType& type : CMixTypeList::GetBuiltInMixTypes()) {
        types.push_back(std::move(type));
    }
    ASSERT_GE(types.size(), 6u);
    EXPECT_EQ(types[0].m_aFadeIn, CMixTypeList::GetLinearFade().m_aFadeIn);
    EXPECT_EQ(types[0].m_aFadeOut, CMixTypeList::GetLinearFade().m_aFadeOut);
    std::vector<std::string> names;
    for (const MixType& type : types) {
        SCOPED_TRACE(type.m_strName);
        EXPECT_FALSE(type.m_strName.empty());
        ASSERT_FALSE(type.m_aFadeIn.empty());
        ASSERT_FALSE(type.m_aFadeOut.empty());
        EXPECT_EQ(type.m_aFadeIn.back(), 1000);
        EXPECT_EQ(type.m_aFadeOut.back(), 0);
        for (std::size_t i = 0; i < type.m_aFadeIn.size(); ++i) {
            EXPECT_GE(type.m_aFadeIn[i], i == 0 ? 1 : type.m_aFadeIn[i - 1]);
            EXPECT_LE(type.m_aFadeIn[i], 1000);
        }
        for (std::size_t i = 0; i < type.m_aFadeOut.size(); ++i) {
            // Below full volume, or the fade-out would skip the step without a pause.
            EXPECT_LT(type.m_aFadeOut[i], 1000);
            EXPECT_LE(type.m_aFadeOut[i], i == 0 ? 999 : type.m_aFadeOut[i - 1]);
            EXPECT_GE(type.m_aFadeOut[i], 0);
        }
        if (names.size() < fileTypes) {
            names.push_back(type.m_strName);
        }
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
}

} // namespace
