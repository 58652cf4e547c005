#include "cli/AutotagCommand.h"

#include "media/CAutoTagger.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "usage: mixorel-cli autotag --pattern P [--title T] [--artist A] [--album A] [--year Y]\n"
    "                           [--track N] [--genre NAME] [--comment C] [--dont-overwrite]\n"
    "                           FILE...\n"
    "  P is the criteria text, for example \"{TRACK}-{ARTIST}-{TITLE}\", with the fields\n"
    "  ARTIST, ALBUM, TITLE, GENRE, YEAR, TRACK and COMMENT.\n";

int Usage(const char* reason) {
    std::fprintf(stderr, "mixorel-cli autotag: %s\n%s", reason, kUsage);
    return 2;
}

bool ParseNumber(const std::string& text, int low, int high, int& value) {
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || number < low || number > high) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

} // namespace

int RunAutotagCommand(const std::vector<std::string>& args) {
    CAutoTagger::Defaults defaults;
    std::string criteria;
    bool havePattern = false;
    std::vector<std::string> files;
    const std::map<std::string_view, std::string*> texts{{"--pattern", &criteria},
                                                         {"--title", &defaults.strTitle},
                                                         {"--artist", &defaults.strArtist},
                                                         {"--album", &defaults.strAlbum},
                                                         {"--comment", &defaults.strComment},
                                                         {"--genre", &defaults.strGenre}};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--dont-overwrite") {
            defaults.bDontOverwrite = true;
            continue;
        }
        const bool takesValue = texts.count(arg) != 0 || arg == "--year" || arg == "--track";
        if (!takesValue) {
            if (arg.size() > 1 && arg[0] == '-') {
                return Usage(("unknown option " + arg).c_str());
            }
            files.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            return Usage((arg + " needs a value").c_str());
        }
        const std::string& value = args[++i];
        if (arg == "--year") {
            if (!ParseNumber(value, 0, 3000, defaults.nYear)) {
                return Usage("--year takes a number from 0 to 3000");
            }
        } else if (arg == "--track") {
            if (!ParseNumber(value, -1, 255, defaults.nTrack)) {
                return Usage("--track takes a number from -1 to 255");
            }
        } else {
            *texts.at(arg) = value;
            havePattern = havePattern || arg == "--pattern";
        }
    }
    FilenamePattern pattern;
    if (!havePattern || criteria.empty()) {
        return Usage(CAutoTagger::kNoCriteriaText);
    }
    if (!pattern.SetCriteria(criteria)) {
        return Usage("the pattern names an unknown or repeated field, or misses a '}'");
    }
    if (!pattern.HasField()) {
        return Usage("the pattern names no field");
    }
    if (files.empty()) {
        return Usage("no files given");
    }
    long count = 0;
    for (const std::string& file : files) {
        if (CAutoTagger::TagFile(file, pattern, defaults)) {
            ++count;
        }
    }
    std::printf("%s\n", CAutoTagger::FinishedText(count).c_str());
    return 0;
}
