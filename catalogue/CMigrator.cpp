#include "CMigrator.h"

#include "CMixorel2001Doc.h"
#include "CMusicImporter.h"
#include "IListCommandUi.h"
#include "media/AtomicFileWriter.h"
#include "media/PosixFile.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

bool CMigrator::CopySongFile(const std::string& source, const std::string& target,
                             std::string& error) {
    errno = 0;
    PosixFile input;
    AtomicFileWriter writer;
    if (input.OpenRead(source) && writer.Create(target) && writer.CopyFrom(input, 0) &&
        writer.Commit()) {
        return true;
    }
    error = std::strerror(errno != 0 ? errno : EIO);
    return false;
}

bool CMigrator::Migrate(CMixorel2001Doc& doc, IListCommandUi& ui) {
    std::vector<std::string> ids;
    {
        std::lock_guard lock(doc.GetMutex());
        const int count = doc.GetCount();
        for (int i = 0; i < count; ++i) {
            ids.push_back(doc.GetSongAt(i)->GetId());
        }
    }
    std::string folder;
    if (!ui.ChooseFolder(kChooseFolderTitle, folder)) {
        return false;
    }
    if (folder.empty() || folder.back() != '/') {
        folder.push_back('/');
    }
    CMixorel2001Doc* target =
        ui.CreatePlaylist("Migrated from " + doc.GetTitle() + " to " + folder);
    if (target == nullptr) {
        return false;
    }
    auto progress =
        ui.CreateCopyProgress("Copying file -> " + folder, 1, static_cast<int>(ids.size()));
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
    int line = 0;
    for (const std::string& id : ids) {
        ++line;
        if (progress != nullptr) {
            progress->SetPos(line);
        }
        std::string source;
        std::string copy;
        {
            std::lock_guard lock(doc.GetMutex());
            const CSong* song = doc.FindById(id);
            if (song == nullptr) {
                continue;
            }
            source = song->GetLocation();
            copy = folder + song->GetFileName(false);
        }
        if (progress != nullptr) {
            progress->SetText(source);
        }
        bool stop = false;
        while (true) {
            std::string error;
            if (CopySongFile(source, copy, error)) {
                stop = !CMusicImporter::ImportFileInto(*target, copy, answer);
                break;
            }
            const auto choice = ui.AskAbortRetryIgnore("Error: " + error + "\rTried migrating '" +
                                                       source + "' to '" + copy + "'");
            if (choice == IListCommandUi::kAbort) {
                stop = true;
                break;
            }
            if (choice == IListCommandUi::kIgnore) {
                break;
            }
        }
        if (stop || (progress != nullptr && progress->IsCancelled())) {
            break;
        }
    }
    ui.ShowPlaylist(*target);
    return true;
}
