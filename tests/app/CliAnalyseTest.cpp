#include "CliSupport.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

using namespace CliSupport;

namespace {

using CliAnalyseTest = PlayingCliTest;

double Value(const std::map<std::string, std::string>& row, const std::string& column) {
    EXPECT_TRUE(row.count(column) && !row.at(column).empty()) << column;
    return row.count(column) ? std::strtod(row.at(column).c_str(), nullptr) : NAN;
}

// Generated songs of known shape and level: the columns, the gain rule at the target of
// the settings, the exit status for a bad file, the JSON form, and the cache that a
// second run (and a moved file) is answered from.
TEST_F(CliAnalyseTest, PrintsLoudnessCuePointsAndGainAndFillsTheCache) {
    Settings("[internal]\ntargetlufs=-20\nmixseconds=5\n");
    const auto sox = [&](const std::string& name, const std::string& effects) {
        EXPECT_EQ(TestFiles::Run("sox -n -r 44100 -c 2 " + Q(name) + " " + effects), 0);
        return File(name);
    };
    // 2 s of silence, 6 s of tone, 2 s of silence.
    sox("loud.wav", "synth 6 sine 1000 vol 0.5 pad 2 2");
    // The same tone 20 dB lower: raised, so its true peak is measured.
    sox("quiet.wav", "synth 6 sine 1000 vol 0.05 pad 2 2");
    sox("silent.wav", "trim 0 3");
    Write("bad.mp3", "not audio at all");

    const std::string files =
        Q("loud.wav") + " " + Q("quiet.wav") + " " + Q("silent.wav") + " " + Q("bad.mp3");
    const std::string csv = Cli("analyse " + files, 1);
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "path,lufs,true_peak_dbtp,lra,cue_in_s,start_next_s,cue_out_s,gain_db");
    auto rows = ParseInfo(csv);

    const auto& loud = rows["loud.wav"];
    const double lufs = Value(loud, "lufs");
    EXPECT_NEAR(lufs, -5.3, 1.0);
    EXPECT_EQ(loud.at("true_peak_dbtp"), "") << "not raised: no true peak needed";
    EXPECT_NEAR(Value(loud, "gain_db"), -20.0 - lufs, 0.011);
    EXPECT_NEAR(Value(loud, "cue_in_s"), 1.9, 0.11);
    EXPECT_NEAR(Value(loud, "cue_out_s"), 8.1, 0.11);
    // A cold end: the shortest overlap.
    EXPECT_NEAR(Value(loud, "start_next_s"), Value(loud, "cue_out_s") - 0.5, 0.011);

    const auto& quiet = rows["quiet.wav"];
    EXPECT_NEAR(Value(quiet, "lufs"), lufs - 20.0, 0.2);
    const double peak = Value(quiet, "true_peak_dbtp");
    EXPECT_NEAR(peak, -26.0, 0.5);
    EXPECT_NEAR(Value(quiet, "gain_db"), std::min(-20.0 - Value(quiet, "lufs"), 12.0), 0.011);

    const auto& silent = rows["silent.wav"];
    EXPECT_EQ(Columns(silent, "lufs gain_db cue_in_s start_next_s cue_out_s"),
              "-inf|0.00|0.00|2.50|3.00");
    EXPECT_EQ(
        Columns(rows["bad.mp3"], "lufs true_peak_dbtp lra cue_in_s start_next_s cue_out_s gain_db"),
        "||||||");

    // Again, with the loud song moved: the same answers, from the cache.
    std::filesystem::rename(File("loud.wav"), File("moved.wav"));
    const std::string again = Cli("analyse " + Q("moved.wav") + " " + Q("quiet.wav"));
    auto cached = ParseInfo(again);
    EXPECT_EQ(Columns(cached["moved.wav"], "lufs cue_in_s start_next_s cue_out_s gain_db"),
              Columns(loud, "lufs cue_in_s start_next_s cue_out_s gain_db"));
    EXPECT_EQ(TestFiles::Capture("/usr/bin/python3 -c " +
                                 ShellQuote("import sqlite3,sys\nc=sqlite3.connect(sys.argv[1])\n"
                                            "print(c.execute('select count(*) from analysis')"
                                            ".fetchone()[0])") +
                                 " " + Q("cache/mixorel/loudness.sqlite")),
              "4\n");

    // JSON: one array of objects with exactly the columns as keys; unknown values null.
    EXPECT_EQ(Query("analyse --json " + Q("quiet.wav") + " " + Q("silent.wav") + " " + Q("bad.mp3"),
                    "[sorted(o) == sorted(['path','lufs','true_peak_dbtp','lra','cue_in_s',"
                    "'start_next_s','cue_out_s','gain_db']) for o in d], d[1]['lufs'], "
                    "d[1]['gain_db'], d[2]['lufs'], type(d[0]['lufs']).__name__"),
              "[True, True, True] None 0.0 None float\n");
    ExpectFailures({{"analyse", 2}, {"analyse --bogus " + Q("quiet.wav"), 2}});
}

} // namespace
