#pragma once

#include "support/ScopedEnvironment.h"
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

// What the program printed on stdout (stderr dropped); expects that exit status.
inline std::string Cli(const std::string& args, int expected = 0) {
    int status = -1;
    const std::string out =
        TestFiles::Capture(std::string(MIXOREL_CLI) + " " + args + " 2>/dev/null", &status);
    EXPECT_EQ(status, expected) << args;
    return out;
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

// Rows of an info listing as column name -> value, keyed by the path's file name; the
// CSV is read by Python's csv module.
inline std::map<std::string, std::map<std::string, std::string>> ParseInfo(const std::string& csv) {
    std::istringstream cells(TestFiles::Capture(
        "printf %s " + ShellQuote(csv) + " | /usr/bin/python3 -c " +
        ShellQuote("import csv,sys\nfor r in csv.DictReader(sys.stdin):\n for k in r:\n"
                   "  print(r['path'].rsplit('/',1)[-1], k, r[k], sep='\\t')")));
    std::map<std::string, std::map<std::string, std::string>> rows;
    for (std::string line; std::getline(cells, line);) {
        const std::size_t name = line.find('\t');
        const std::size_t value = line.find('\t', name + 1);
        rows[line.substr(0, name)][line.substr(name + 1, value - name - 1)] =
            line.substr(value + 1);
    }
    return rows;
}

// The values of a row's columns named (space-separated), joined by '|'.
inline std::string Columns(const std::map<std::string, std::string>& row,
                           const std::string& names) {
    std::string values;
    std::istringstream in(names);
    for (std::string name; in >> name;) {
        values += "|" + (row.count(name) ? row.at(name) : "-");
    }
    return values.substr(1);
}

// Expects each of the parts somewhere in the text.
inline void ExpectHas(const std::string& text, const std::vector<std::string>& parts) {
    for (const std::string& part : parts) {
        EXPECT_NE(text.find(part), std::string::npos) << part << " in:\n" << text;
    }
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
    // A stereo sine tone of that many seconds, as a 128 kbit/s MP3.
    std::string Song(const std::string& name, int hz, int seconds) const {
        const std::string path = File(name + ".mp3");
        EXPECT_EQ(TestFiles::Run("sox -n -r 44100 -c 2 " + Q(name + ".wav") + " synth " +
                                 std::to_string(seconds) + " sine " + std::to_string(hz) +
                                 " && lame --quiet -b 128 " + Q(name + ".wav") + " " +
                                 ShellQuote(path)),
                  0);
        return path;
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
    const ScopedEnvironment m_env{{{"XDG_CONFIG_HOME", m_dir.File("config")},
                                   {"XDG_CACHE_HOME", m_dir.File("cache")},
                                   {"MIXOREL_HOME", m_dir.File("home")}}};
};

// Real files played through the GStreamer back end into a fake sink that keeps time.
class PlayingCliTest : public CliTest {
protected:
    void SetUp() override {
        if (!TestFiles::HaveTool("sox") || !TestFiles::HaveTool("lame")) {
            GTEST_SKIP() << "sox and lame are needed";
        }
    }
    // Runs a shell command line, mixorel-cli standing for $cli, expecting that exit status;
    // answers what it printed.
    static std::string Shell(const std::string& line, int expected = 0) {
        int status = -1;
        const std::string out =
            TestFiles::Capture("(cli=" + ShellQuote(MIXOREL_CLI) + "; " + line + ")", &status);
        EXPECT_EQ(status, expected) << out;
        return out;
    }
    const ScopedEnvironment m_sink{{{"MIXOREL_AUDIO_SINK", "fakesink sync=true"}}};
};

} // namespace CliSupport
