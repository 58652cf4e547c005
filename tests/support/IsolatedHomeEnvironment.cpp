#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Points the program folder (where the fader workers look for mix.ini) and the per-user
// folders into a temporary folder for the whole run, so that no test touches the home
// folder. Linked into the test programs that read settings or the program folder.
class IsolatedHomeEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_pHome = std::make_unique<TempDir>();
        ::setenv("HOME", m_pHome->Path().c_str(), 1);
        ::setenv("MIXOREL_HOME", m_pHome->File("program").c_str(), 1);
        ::setenv("XDG_DATA_HOME", m_pHome->File("data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", m_pHome->File("config").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", m_pHome->File("cache").c_str(), 1);
    }
    void TearDown() override { m_pHome.reset(); }

private:
    std::unique_ptr<TempDir> m_pHome;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new IsolatedHomeEnvironment);

} // namespace
