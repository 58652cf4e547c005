#include "settings/ProgramFolder.h"
#include "settings/DefaultMixIni.h"

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

std::vector<std::uint8_t> DefaultBytes() {
    const auto bytes = GetDefaultMixIni();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

class ProgramFolderTest : public ::testing::Test {
protected:
    TempDir m_dir;
};

TEST_F(ProgramFolderTest, OwnVariableWinsAndTheFolderIsPrepared) {
    const std::string folder = m_dir.File("own/nested");
    ScopedEnvironment env({{"MIXOREL_HOME", folder + "//"}, {"XDG_DATA_HOME", m_dir.File("data")}});
    EXPECT_EQ(GetProgramFolder(), folder);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(ReadAll(folder + "/mix.ini"), DefaultBytes());
    EXPECT_EQ(GetMixIniPath(), folder + "/mix.ini");
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("data")));
}

TEST_F(ProgramFolderTest, DataHomeWhenNoOwnVariableOrAnEmptyOne) {
    ScopedEnvironment env({{"MIXOREL_HOME", ""}, {"XDG_DATA_HOME", m_dir.File("data")}});
    ::unsetenv("MIXOREL_HOME");
    EXPECT_EQ(GetProgramFolder(), m_dir.File("data/Mixorel"));
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("data/Mixorel/mix.ini")));
    // An empty own variable and a relative data home are ignored.
    ScopedEnvironment relative(
        {{"MIXOREL_HOME", ""}, {"XDG_DATA_HOME", "relative/data"}, {"HOME", m_dir.Path()}});
    EXPECT_EQ(GetProgramFolder(), m_dir.File(".local/share/Mixorel"));
}

TEST_F(ProgramFolderTest, MixIniDeletedLaterIsRestoredByEnsureAndAnEditedOneIsNeverReplaced) {
    const std::string folder = m_dir.File("restore");
    ScopedEnvironment own({{"MIXOREL_HOME", folder}});
    GetProgramFolder();
    std::filesystem::remove(folder + "/mix.ini");
    ASSERT_TRUE(EnsureMixIni(folder));
    EXPECT_EQ(ReadAll(folder + "/mix.ini"), DefaultBytes());
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);
    const std::vector<std::uint8_t> mine{'M', 'i', 'n', 'e', '\n'};
    WriteAll(folder + "/mix.ini", mine);
    EXPECT_TRUE(EnsureMixIni(folder));
    EXPECT_EQ(ReadAll(folder + "/mix.ini"), mine);
}

TEST_F(ProgramFolderTest, FolderThatCannotBeMadeStillAnswersItsPath) {
    WriteAll(m_dir.File("plainfile"), {'x'});
    const std::string folder = m_dir.File("plainfile/sub");
    ScopedEnvironment own({{"MIXOREL_HOME", folder}});
    EXPECT_EQ(GetProgramFolder(), folder);
    EXPECT_FALSE(EnsureMixIni(folder));
}

} // namespace
