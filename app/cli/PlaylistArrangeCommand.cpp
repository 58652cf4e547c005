#include "cli/PlaylistArrangeCommand.h"

#include "catalogue/CListArranger.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistFile.h"
#include "cli/SettingsStoreLoader.h"
#include "settings/CSharedSettings.h"

#include <cstdio>
#include <functional>
#include <optional>

namespace {

constexpr const char* kUsage =
    "usage: mixorel-cli playlist sort IN.qmx --by title|duration|bitrate|date [--desc] "
    "-o OUT.qmx\n"
    "       mixorel-cli playlist shuffle IN.qmx -o OUT.qmx\n";

struct ArrangeArgs {
    std::string in;
    std::string out;
    std::string by;
    bool descending = false;
};

std::optional<ArrangeArgs> ParseArgs(const std::vector<std::string>& args, bool sorting) {
    ArrangeArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) {
            parsed.out = args[++i];
        } else if (sorting && args[i] == "--by" && i + 1 < args.size()) {
            parsed.by = args[++i];
        } else if (sorting && args[i] == "--desc") {
            parsed.descending = true;
        } else if (parsed.in.empty() && !args[i].starts_with('-')) {
            parsed.in = args[i];
        } else {
            return std::nullopt;
        }
    }
    if (parsed.in.empty() || parsed.out.empty() || (sorting && parsed.by.empty())) {
        return std::nullopt;
    }
    return parsed;
}

std::optional<CListArranger::Criterion> CriterionFor(const std::string& name) {
    if (name == "title") {
        return CListArranger::kTitle;
    }
    if (name == "duration") {
        return CListArranger::kDuration;
    }
    if (name == "bitrate") {
        return CListArranger::kBitrate;
    }
    if (name == "date") {
        return CListArranger::kFileDate;
    }
    return std::nullopt;
}

// Reads every queued song (those without audio information) so durations and bit rates
// are known before arranging.
void ProcessQueued(CMixorel2001Doc& doc) {
    for (const std::string& id : doc.GetProcessingQueue()) {
        doc.ProcessSong(id);
    }
}

// Loads IN, arranges it and saves OUT; the settings give the title template for songs
// read on the way.
int Arrange(const ArrangeArgs& args, const std::function<bool(CMixorel2001Doc&)>& arrange) {
    InstallSettingsStore();
    CSharedSettings settings;
    settings.Reload();
    CMixorel2001Doc doc;
    doc.SetSharedSettings(&settings);
    int result = doc.OnOpenDocument(args.in);
    if (result != CPlaylistFile::kOk) {
        std::fprintf(stderr, "mixorel-cli: %s: %s\n", args.in.c_str(),
                     CPlaylistFile::ResultText(result));
        return 1;
    }
    if (doc.IsLocked()) {
        std::fprintf(stderr, "mixorel-cli: %s: %s\n", args.in.c_str(),
                     CMixorel2001Doc::kLockedText);
        return 1;
    }
    ProcessQueued(doc);
    if (!arrange(doc)) {
        std::fprintf(stderr, "mixorel-cli: %s: the list could not be arranged\n", args.in.c_str());
        return 1;
    }
    result = doc.OnSaveDocument(args.out);
    if (result != CPlaylistFile::kOk) {
        std::fprintf(stderr, "mixorel-cli: %s: %s\n", args.out.c_str(),
                     CPlaylistFile::ResultText(result));
        return 1;
    }
    return 0;
}

} // namespace

int RunPlaylistSort(const std::vector<std::string>& args) {
    const auto parsed = ParseArgs(args, true);
    const auto criterion = parsed ? CriterionFor(parsed->by) : std::nullopt;
    if (!parsed || !criterion) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const bool ascending = !parsed->descending;
    return Arrange(*parsed, [&criterion, ascending](CMixorel2001Doc& doc) {
        return doc.Sort(*criterion, ascending);
    });
}

int RunPlaylistShuffle(const std::vector<std::string>& args) {
    const auto parsed = ParseArgs(args, false);
    if (!parsed) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return Arrange(*parsed, [](CMixorel2001Doc& doc) { return doc.ShuffleInPlace(false); });
}
