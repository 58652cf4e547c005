#include "CMusicImporter.h"

#include "CAlbumManager.h"
#include "CMixorel2001Doc.h"
#include "CPlaylistFile.h"
#include "CTextCase.h"
#include "settings/CSharedSettings.h"

#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>

std::atomic<bool> CMusicImporter::s_bImportRunning{false};

// What one scan shares between its folders: the answer, the count, the settings read
// once, and the folders entered so far, so a symbolic link back up the tree is entered
// only once.
struct CMusicImporter::ScanContext {
    bool recursive = false;
    DuplicateAnswer* answer = nullptr;
    long* count = nullptr;
    std::string titleTemplate;
    CSettings settings;
    std::set<std::pair<dev_t, ino_t>> visited;
};

namespace {

// Closes a directory stream on every way out.
struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

std::int64_t ElapsedMs(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder.push_back('/');
    }
    return folder;
}

// The folder as the progress window shows it: doubled separators made single.
std::string DisplayFolder(const std::string& folder) {
    std::string text;
    text.reserve(folder.size() + 4);
    for (std::size_t i = 0; i < folder.size(); ++i) {
        if (folder[i] == '/' && i + 1 < folder.size() && folder[i + 1] == '/') {
            ++i;
        }
        text.push_back(folder[i]);
    }
    return text + " ...";
}

} // namespace

CMusicImporter::CMusicImporter(CMixorel2001Doc& doc, IUserPrompt& prompt, IImportUi& ui,
                               CLocationList& locations, const CSharedSettings* settings)
    : m_doc(doc), m_prompt(prompt), m_ui(ui), m_locations(locations), m_pSettings(settings) {}

CMusicImporter::~CMusicImporter() {
    if (m_pProgress != nullptr) {
        m_pProgress.reset();
        s_bImportRunning = false;
    }
}

CSettings CMusicImporter::LoadSettings() const {
    return m_pSettings != nullptr ? m_pSettings->Get() : CSettings();
}

bool CMusicImporter::FinishCommand(bool ok) {
    if (ok) {
        m_doc.SetModifiedFlag(true);
        m_doc.UpdateViews(-1);
    }
    return ok;
}

bool CMusicImporter::OnImportFiles() {
    return FinishCommand(ImportFiles());
}

bool CMusicImporter::OnImportSingleFolder() {
    DuplicateAnswer answer = IUserPrompt::kNone;
    if (!ImportFolder(false, false, answer)) {
        return false;
    }
    m_bLastImportRecursive = false;
    m_bLastImportKnown = true;
    return FinishCommand(true);
}

bool CMusicImporter::OnImportFolderWithSubfolders() {
    DuplicateAnswer answer = IUserPrompt::kNone;
    if (!ImportFolder(true, false, answer)) {
        return false;
    }
    m_bLastImportRecursive = true;
    m_bLastImportKnown = true;
    return FinishCommand(true);
}

bool CMusicImporter::OnRepeatLastImport() {
    if (!m_bLastImportKnown) {
        return false;
    }
    DuplicateAnswer answer = IUserPrompt::kNone;
    return FinishCommand(ImportFolder(m_bLastImportRecursive, true, answer));
}

bool CMusicImporter::OnImportLocations() {
    return FinishCommand(ImportLocations());
}

bool CMusicImporter::ImportFile(const std::string& path, DuplicateAnswer& answer, bool atHead,
                                bool* added) {
    return ImportFileInto(m_doc, path, answer, atHead, added);
}

bool CMusicImporter::ImportFileInto(CMixorel2001Doc& doc, const std::string& path,
                                    DuplicateAnswer& answer, bool atHead, bool* added) {
    CSong song;
    song.SetPath(path, std::string_view(), false);
    const bool inserted = doc.InsertSongAt(atHead ? -1 : CMixorel2001Doc::kAfterLast, song, answer);
    if (added != nullptr) {
        *added = inserted;
    }
    return inserted || answer == IUserPrompt::kCancel || answer == IUserPrompt::kNoToAll;
}

bool CMusicImporter::ImportFiles() {
    std::vector<std::string> paths;
    if (!m_ui.ChooseFiles(paths)) {
        return false;
    }
    DuplicateAnswer answer = IUserPrompt::kNone;
    for (const std::string& path : paths) {
        if (!ImportFile(path, answer) || answer == IUserPrompt::kCancel) {
            break;
        }
    }
    return true;
}

bool CMusicImporter::ImportFolder(bool recursive, bool repeat, DuplicateAnswer& answer) {
    if (!repeat) {
        std::string folder;
        if (!m_ui.ChooseFolder(kChooseFolderTitle, m_strLastImportFolder, folder)) {
            return false;
        }
        std::error_code error;
        if (folder.empty() || !std::filesystem::is_directory(folder, error)) {
            m_prompt.Message(kNotAFolderText);
            return false;
        }
        m_strLastImportFolder = WithSlash(folder);
    }
    if (m_doc.GetCount() > 0) {
        switch (m_prompt.Question(kEraseQuestion, true)) {
        case IUserPrompt::kAnswerYes: {
            // A locked playlist keeps its lines, so the import it asked for is not made.
            if (m_doc.IsLocked()) {
                m_prompt.Message(CMixorel2001Doc::kLockedText);
                return false;
            }
            std::vector<std::string> ids;
            {
                std::lock_guard lock(m_doc.GetMutex());
                const int count = m_doc.GetCount();
                ids.reserve(static_cast<std::size_t>(count));
                for (int i = 0; i < count; ++i) {
                    ids.push_back(m_doc.GetSongAt(i)->GetId());
                }
            }
            m_doc.RemoveSongs(ids);
            break;
        }
        case IUserPrompt::kAnswerCancel:
            return false;
        case IUserPrompt::kAnswerNo:
            break;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    long count = 0;
    const int result = ScanFolder(m_strLastImportFolder, recursive, answer, count);
    ShowCount(count, ElapsedMs(start));
    if (result == kScanFinished && count > 0) {
        m_locations.Add(m_strLastImportFolder);
    }
    return true;
}

void CMusicImporter::ShowCount(long count, std::int64_t elapsedMs) {
    char text[96];
    std::snprintf(text, sizeof text, "%ld file(s) imported in %ld second(s)", count,
                  static_cast<long>(elapsedMs / 1000));
    m_prompt.Message(text);
}

int CMusicImporter::ScanFolder(const std::string& folder, bool recursive, DuplicateAnswer& answer,
                               long& count) {
    std::lock_guard lock(m_doc.GetMutex());
    bool ownsProgress = false;
    if (m_pProgress == nullptr && !s_bImportRunning) {
        m_pProgress = m_ui.CreateProgress(std::string(kProgressTitle) + " " + m_doc.GetTitle());
        ownsProgress = m_pProgress != nullptr;
        s_bImportRunning = ownsProgress;
        // The playlist refuses to close while its folder import runs.
        m_doc.SetImportRunning(ownsProgress);
    }
    ScanContext context;
    context.recursive = recursive;
    context.answer = &answer;
    context.count = &count;
    context.settings = LoadSettings();
    context.titleTemplate = context.settings.m_strId3Tags;
    const bool notify = m_doc.IsNotifyBar();
    const int result = ScanInto(context, folder);
    m_doc.SetNotifyBar(notify);
    if (result == kScanStopped) {
        if (m_pProgress != nullptr) {
            m_pProgress.reset();
            s_bImportRunning = false;
            m_doc.SetImportRunning(false);
        }
        return kScanStopped;
    }
    m_doc.SetModifiedFlag(true);
    if (ownsProgress) {
        m_pProgress.reset();
        s_bImportRunning = false;
        m_doc.SetImportRunning(false);
    }
    return kScanFinished;
}

// One folder, depth first: subfolders are scanned as they are met. A folder that cannot
// be opened (gone, unreadable, not a folder) adds nothing and ends normally.
int CMusicImporter::ScanInto(ScanContext& context, const std::string& folder) {
    if (m_pProgress != nullptr) {
        m_pProgress->SetFolder(DisplayFolder(folder));
    }
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (dir == nullptr) {
        return kScanFinished;
    }
    struct stat self {};
    if (::fstat(::dirfd(dir.get()), &self) == 0 &&
        !context.visited.emplace(self.st_dev, self.st_ino).second) {
        return kScanFinished;
    }
    std::string path = folder;
    const std::size_t base = path.size();
    while (true) {
        if (m_pProgress != nullptr && m_pProgress->IsCancelled()) {
            break;
        }
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            break;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
            continue;
        }
        path.resize(base);
        path += name;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            // A link counts as what it points to; a broken link as a file.
            struct stat info {};
            isFolder = ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        if (isFolder) {
            if (context.recursive) {
                path.push_back('/');
                if (ScanInto(context, path) == kScanStopped) {
                    return kScanStopped;
                }
            }
            continue;
        }
        if (path.size() < 4) {
            continue;
        }
        const std::string_view fileName(name);
        const std::size_t dot = fileName.rfind('.');
        if (dot == std::string_view::npos ||
            !context.settings.HasFileExtension(fileName.substr(dot + 1))) {
            continue;
        }
        m_doc.SetNotifyBar(false);
        bool added = false;
        const bool goOn = ImportFile(path, *context.answer, false, &added);
        if (added) {
            ++*context.count;
        }
        if (!goOn || *context.answer == IUserPrompt::kCancel) {
            return kScanStopped;
        }
    }
    return kScanFinished;
}

bool CMusicImporter::ImportLocations() {
    std::vector<int> selected;
    int subfolders = 1;
    const IImportUi::LocationsMode mode = m_ui.ChooseLocations(m_locations, selected, subfolders);
    if (mode == IImportUi::kLocationsCancel) {
        return false;
    }
    if (mode == IImportUi::kLocationsOther || m_locations.GetCount() == 0) {
        return subfolders != 0 ? OnImportFolderWithSubfolders() : OnImportSingleFolder();
    }
    // Collected by Add from the top down, so the bottom-most selected comes first.
    CLocationList chosen;
    for (const int index : selected) {
        const std::string folder = m_locations.GetAt(index);
        if (!folder.empty()) {
            chosen.Add(folder);
        }
    }
    const auto start = std::chrono::steady_clock::now();
    DuplicateAnswer answer = IUserPrompt::kNone;
    long count = 0;
    for (const std::string& folder : chosen.GetFolders()) {
        const int result = ScanFolder(folder, subfolders != 0, answer, count);
        if (result == kScanFinished && count > 0) {
            m_locations.Add(folder);
        }
        if (result == kScanStopped) {
            break;
        }
    }
    ShowCount(count, ElapsedMs(start));
    return true;
}

bool CMusicImporter::ConfirmSelection(IUserPrompt& prompt, int count, std::vector<int>& selected) {
    if (!selected.empty()) {
        return true;
    }
    if (prompt.Question(kAllLocationsQuestion, false) != IUserPrompt::kAnswerYes) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        selected.push_back(i);
    }
    return true;
}

bool CMusicImporter::RemoveLocations(IUserPrompt& prompt, CLocationList& locations,
                                     const std::vector<int>& selected) {
    if (selected.empty()) {
        prompt.Message(kNothingSelectedText);
        return false;
    }
    if (prompt.Question(kRemoveLocationsQuestion, false) != IUserPrompt::kAnswerYes) {
        return false;
    }
    std::set<int> lines(selected.begin(), selected.end());
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        locations.RemoveAt(*it);
    }
    return true;
}

void CMusicImporter::BringProgressToFront() {
    if (m_pProgress != nullptr) {
        m_pProgress->BringToFront();
    }
}

namespace {

bool ContainsNoCase(const std::string& path, std::string_view upper) {
    return CTextCase::ToUpper(path).find(upper) != std::string::npos;
}

} // namespace

// Albums are opened last, without the document lock: opening one runs the album-closing
// routine, which may close this playlist (and wait for its loop driver, which needs the
// lock). Neither the document nor this importer is touched after that.
bool CMusicImporter::DropFiles(int line, const std::vector<std::string>& paths,
                               CAlbumManager* albums) {
    std::vector<std::string> albumPaths;
    bool ok = true;
    {
        std::lock_guard lock(m_doc.GetMutex());
        const CSettings settings = LoadSettings();
        DuplicateAnswer answer = IUserPrompt::kNone;
        // Lines go in after `after`: the line above the drop point, so before that line.
        int after = line < 0 ? CMixorel2001Doc::kAfterLast : line - 1;
        for (const std::string& path : paths) {
            std::error_code error;
            if (std::filesystem::is_directory(path, error)) {
                continue;
            }
            if (ContainsNoCase(path, ".QMX")) {
                ok = DropPlaylist(path) && ok;
                continue;
            }
            if (ContainsNoCase(path, ".QMA")) {
                albumPaths.push_back(path);
                continue;
            }
            CSong song;
            song.SetPath(path, settings.m_strId3Tags, false);
            if (!m_doc.InsertSongAt(after, song, answer)) {
                ok = false;
                break;
            }
            if (after != CMixorel2001Doc::kAfterLast) {
                ++after;
            }
        }
        m_doc.UpdateViews(-1);
    }
    if (albums != nullptr) {
        for (const std::string& path : albumPaths) {
            albums->OpenAlbum(path, false);
        }
    }
    return ok;
}

// A dropped playlist file is appended with its alarm and lock flags. The playlist counts
// as not modified only when it was empty and unmodified before: it then holds just what
// the file holds, and unsaved lines are never left without the question to save them.
bool CMusicImporter::DropPlaylist(const std::string& path) {
    CPlaylistContent content;
    const int result = CPlaylistFile::Read(path, content);
    if (result != CPlaylistFile::kOk) {
        m_prompt.Message(path + "\n" + CPlaylistFile::ResultText(result));
        return false;
    }
    const bool pristine = m_doc.GetCount() == 0 && !m_doc.IsModified();
    DuplicateAnswer all = IUserPrompt::kYesToAll;
    for (const CSong& song : content.m_songs) {
        m_doc.InsertSongAt(CMixorel2001Doc::kAfterLast, song, all);
    }
    m_doc.SetAlarm(content.m_dtAlarm);
    m_doc.SetLocked(content.m_bLocked, content.m_bPlayerCommandsDisabled);
    if (pristine) {
        m_doc.SetModifiedFlag(false);
    }
    return true;
}
