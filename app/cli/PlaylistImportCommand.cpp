#include "cli/PlaylistImportCommand.h"

#include "catalogue/CListFilter.h"
#include "catalogue/CLocationList.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CMusicImporter.h"
#include "catalogue/CPlaylistFile.h"
#include "cli/SettingsStoreLoader.h"
#include "settings/CSharedSettings.h"

#include <cstdio>
#include <filesystem>

namespace {

constexpr const char* kUsage =
    "usage: mixorel-cli playlist import DIR -o OUT.qmx [--single-folder]\n"
    "       mixorel-cli playlist filter IN.qmx PATTERN -o OUT.qmx\n";

// No dialogs and no progress window: the scan runs to its end.
class HeadlessImportUi : public IImportUi {
public:
    std::unique_ptr<IImportProgress> CreateProgress(const std::string& /*title*/) override {
        return nullptr;
    }
    bool ChooseFolder(const std::string&, const std::string&, std::string&) override {
        return false;
    }
    bool ChooseFiles(std::vector<std::string>&) override { return false; }
    LocationsMode ChooseLocations(CLocationList&, std::vector<int>&, int&) override {
        return kLocationsCancel;
    }
};

// Duplicates are skipped without a question; messages are dropped.
class HeadlessPrompt : public IUserPrompt {
public:
    void Message(const std::string& /*text*/) override {}
    Answer Question(const std::string& /*text*/, bool /*withCancel*/) override { return kAnswerNo; }
    DuplicateAnswer DuplicateQuestion(const std::string&, const std::string&) override {
        return kNoToAll;
    }
    bool SongData(std::string&, std::string&) override { return false; }
};

int Fail(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "mixorel-cli: %s: %s\n", path.c_str(), reason.c_str());
    return 1;
}

} // namespace

int RunPlaylistImport(const std::vector<std::string>& args) {
    std::string folder;
    std::string out;
    bool recursive = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) {
            out = args[++i];
        } else if (args[i] == "--single-folder") {
            recursive = false;
        } else if (folder.empty() && !args[i].starts_with('-')) {
            folder = args[i];
        } else {
            folder.clear();
            break;
        }
    }
    if (folder.empty() || out.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::error_code error;
    std::string absolute = std::filesystem::absolute(folder, error).lexically_normal().string();
    if (error || !std::filesystem::is_directory(absolute, error)) {
        return Fail(folder, "not a folder that can be read");
    }
    if (!absolute.ends_with('/')) {
        absolute.push_back('/');
    }
    InstallSettingsStore();
    CSharedSettings settings;
    settings.Reload();
    HeadlessPrompt prompt;
    HeadlessImportUi ui;
    CLocationList locations;
    CMixorel2001Doc doc(&prompt);
    doc.SetSharedSettings(&settings);
    CMusicImporter importer(doc, prompt, ui, locations, &settings);
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
    long count = 0;
    importer.ScanFolder(absolute, recursive, answer, count);
    // Every song is read before saving, as the processing thread would.
    for (const std::string& id : doc.GetProcessingQueue()) {
        doc.ProcessSong(id);
    }
    const int result = doc.OnSaveDocument(out);
    if (result != CPlaylistFile::kOk) {
        return Fail(out, CPlaylistFile::ResultText(result));
    }
    std::printf("%ld file(s) imported\n", count);
    return 0;
}

int RunPlaylistFilter(const std::vector<std::string>& args) {
    if (args.size() != 4 || args[2] != "-o") {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string& in = args[0];
    const std::string& out = args[3];
    CMixorel2001Doc doc;
    int result = doc.OnOpenDocument(in);
    if (result != CPlaylistFile::kOk) {
        return Fail(in, CPlaylistFile::ResultText(result));
    }
    const std::string pattern = CListFilter::EffectivePattern(CListFilter::AddToHistory(args[1]));
    CMixorel2001Doc filtered;
    if (CListFilter::FilterInto(doc, pattern, filtered) == 0) {
        std::fprintf(stderr, "%s\n", CListFilter::kNoMatchText);
        return 1;
    }
    result = filtered.OnSaveDocument(out);
    if (result != CPlaylistFile::kOk) {
        return Fail(out, CPlaylistFile::ResultText(result));
    }
    return 0;
}
