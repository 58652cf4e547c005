#include "settings/ProgramFolder.h"
#include "settings/DefaultMixIni.h"

#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

// Sets a variable for a scope, or unsets it when the value is null.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

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
    ScopedEnv own("MIXOREL_HOME", (folder + "//").c_str());
    ScopedEnv data("XDG_DATA_HOME", m_dir.File("data").c_str());
    EXPECT_EQ(GetProgramFolder(), folder);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(ReadAll(folder + "/mix.ini"), DefaultBytes());
    EXPECT_EQ(GetMixIniPath(), folder + "/mix.ini");
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("data")));
}

TEST_F(ProgramFolderTest, DataHomeWhenNoOwnVariable) {
    ScopedEnv own("MIXOREL_HOME", nullptr);
    ScopedEnv data("XDG_DATA_HOME", m_dir.File("data").c_str());
    EXPECT_EQ(GetProgramFolder(), m_dir.File("data/Mixorel"));
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("data/Mixorel/mix.ini")));
}

TEST_F(ProgramFolderTest, EmptyOwnVariableAndRelativeDataHomeAreIgnored) {
    ScopedEnv own("MIXOREL_HOME", "");
    ScopedEnv data("XDG_DATA_HOME", "relative/data");
    ScopedEnv home("HOME", m_dir.Path().c_str());
    EXPECT_EQ(GetProgramFolder(), m_dir.File(".local/share/Mixorel"));
}

TEST_F(ProgramFolderTest, AnEditedMixIniIsNeverReplaced) {
    const std::string folder = m_dir.File("edited");
    std::filesystem::create_directories(folder);
    WriteAll(folder + "/mix.ini", {'M', 'i', 'n', 'e', '\n'});
    ScopedEnv own("MIXOREL_HOME", folder.c_str());
    GetProgramFolder();
    EXPECT_TRUE(EnsureMixIni(folder));
    EXPECT_EQ(ReadAll(folder + "/mix.ini"), (std::vector<std::uint8_t>{'M', 'i', 'n', 'e', '\n'}));
}

TEST_F(ProgramFolderTest, MixIniDeletedLaterIsRestoredByEnsure) {
    const std::string folder = m_dir.File("restore");
    ScopedEnv own("MIXOREL_HOME", folder.c_str());
    GetProgramFolder();
    std::filesystem::remove(folder + "/mix.ini");
    ASSERT_TRUE(EnsureMixIni(folder));
    EXPECT_EQ(ReadAll(folder + "/mix.ini"), DefaultBytes());
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(ProgramFolderTest, FolderThatCannotBeMadeStillAnswersItsPath) {
    WriteAll(m_dir.File("plainfile"), {'x'});
    const std::string folder = m_dir.File("plainfile/sub");
    ScopedEnv own("MIXOREL_HOME", folder.c_str());
    EXPECT_EQ(GetProgramFolder(), folder);
    EXPECT_FALSE(EnsureMixIni(folder));
}

} // namespace
