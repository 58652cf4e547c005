#pragma once

#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Tests that read files back with mutagen, an outside tag reader; skipped where it is not
// installed. The interpreter is the system one first (a user's own Python may lack
// mutagen), run under a time limit so a hung child cannot stall the tests.
class MutagenTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string limit = TestFiles::HaveTool("timeout") ? "timeout 60 " : "";
        for (const char* candidate : {"/usr/bin/python3", "python3"}) {
            const std::string python = limit + candidate;
            if (TestFiles::Run(python + " -c 'import mutagen' >/dev/null 2>&1") == 0) {
                m_python = python;
                return;
            }
        }
        GTEST_SKIP() << "mutagen is not installed (apt-get install python3-mutagen)";
    }

    // A file of these bytes in the test's own folder.
    std::string Put(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = m_dir.File(name);
        WriteAll(path, bytes);
        return path;
    }

    std::string m_python;
    TempDir m_dir;
};
