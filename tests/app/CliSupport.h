#pragma once

#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// Runs mixorel-cli and splits its CSV output, for the end-to-end tests of its commands.
namespace CliSupport {

using TestFiles::ShellQuote;

// What the program printed on stdout (stderr dropped).
inline std::string Cli(const std::string& args, int* status = nullptr) {
    return TestFiles::Capture(std::string(MIXOREL_CLI) + " " + args + " 2>/dev/null", status);
}

// The program's exit status; err, when given, gets what it printed on stderr.
inline int Status(const std::string& args, std::string* err = nullptr) {
    int status = -1;
    const std::string text = TestFiles::Capture(std::string(MIXOREL_CLI) + " " + args +
                                                    (err ? " 2>&1 >/dev/null" : " >/dev/null 2>&1"),
                                                &status);
    if (err != nullptr) {
        *err = text;
    }
    return status;
}

// Prints a Python expression (the dumped JSON bound to d) over what the command prints.
inline std::string Query(const std::string& command, const std::string& expression) {
    return TestFiles::Capture(
        std::string(MIXOREL_CLI) + " " + command + " | /usr/bin/python3 -c " +
        ShellQuote("import json,sys\nd=json.load(sys.stdin)\nprint(" + expression + ")"));
}

// Splits one CSV record (RFC 4180 quoting) starting at pos; advances pos past its line end.
inline std::vector<std::string> ParseRecord(const std::string& text, std::size_t& pos) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    while (pos < text.size()) {
        const char c = text[pos++];
        if (quoted) {
            if (c == '"' && pos < text.size() && text[pos] == '"') {
                fields.back().push_back('"');
                ++pos;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back().push_back(c);
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n') {
            break;
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

// Rows of an info listing as column name -> value, keyed by the path's file name.
inline std::map<std::string, std::map<std::string, std::string>> ParseInfo(const std::string& csv) {
    std::map<std::string, std::map<std::string, std::string>> rows;
    std::size_t pos = 0;
    const auto header = ParseRecord(csv, pos);
    while (pos < csv.size()) {
        const auto fields = ParseRecord(csv, pos);
        std::map<std::string, std::string> row;
        for (std::size_t i = 0; i < header.size() && i < fields.size(); ++i) {
            row[header[i]] = fields[i];
        }
        const std::string path = row["path"];
        rows[path.substr(path.find_last_of('/') + 1)] = row;
    }
    return rows;
}

// The values of a row's columns named (space-separated), joined by '|'.
inline std::string Columns(const std::map<std::string, std::string>& row,
                           const std::string& names) {
    std::string values;
    std::istringstream in(names);
    for (std::string name; in >> name;) {
        values += (values.empty() ? "" : "|") + (row.count(name) ? row.at(name) : "-");
    }
    return values;
}

// A run that must fail: its status, a text its stderr holds and a file it must not leave.
struct Failure {
    std::string args;
    int status;
    std::string message = "";
    std::string absent = "";
};

// Each test with its own folder, and its own settings and program folders in it, which
// the program inherits through the environment.
class CliTest : public ::testing::Test {
protected:
    CliTest() {
        ::setenv("XDG_CONFIG_HOME", m_dir.File("config").c_str(), 1);
        ::setenv("MIXOREL_HOME", m_dir.File("home").c_str(), 1);
    }
    ~CliTest() override {
        ::unsetenv("XDG_CONFIG_HOME");
        ::unsetenv("MIXOREL_HOME");
    }
    std::string File(const std::string& name) const { return m_dir.File(name); }
    // The quoted path of a name in the test's folder.
    std::string Q(const std::string& name) const { return ShellQuote(m_dir.File(name)); }
    void Write(const std::string& name, const std::string& text) const {
        WriteAll(m_dir.File(name), std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    std::string Read(const std::string& name) const {
        const auto bytes = ReadAll(m_dir.File(name));
        return std::string(bytes.begin(), bytes.end());
    }
    void Settings(const std::string& ini) const {
        std::filesystem::create_directories(m_dir.File("config/Mixorel"));
        Write("config/Mixorel/Mixorel.ini", ini);
    }
    void ExpectFailures(const std::vector<Failure>& failures) const {
        for (const Failure& failure : failures) {
            SCOPED_TRACE(failure.args);
            std::string err;
            EXPECT_EQ(Status(failure.args, &err), failure.status);
            EXPECT_NE(err.find(failure.message), std::string::npos) << err;
            if (!failure.absent.empty()) {
                EXPECT_FALSE(std::filesystem::exists(File(failure.absent)));
            }
        }
    }

    TempDir m_dir;
};

// Real files played through the GStreamer back end into a fake sink that keeps time.
class PlayingCliTest : public CliTest {
protected:
    void SetUp() override {
        if (!TestFiles::HaveTool("sox") || !TestFiles::HaveTool("lame")) {
            GTEST_SKIP() << "sox and lame are needed";
        }
        ::setenv("MIXOREL_AUDIO_SINK", "fakesink sync=true", 1);
    }
    void TearDown() override { ::unsetenv("MIXOREL_AUDIO_SINK"); }
    // Runs a shell command line, mixorel-cli standing for $cli; answers what it printed.
    static std::string Shell(const std::string& line, int* status) {
        return TestFiles::Capture("(cli=" + ShellQuote(MIXOREL_CLI) + "; " + line + ")", status);
    }
};

} // namespace CliSupport
