#include "cli/PlaylistWalkCommand.h"

#include "catalogue/CMediaWalkerModel.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistFile.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: mixorel-cli playlist walk IN.qmx [--by ORGANISATION] [--songs]\n"
    "  ORGANISATION: Artist/Album (default), Genre/Artist, GenreArtistAlbum, YearArtist,\n"
    "  YearArtistAlbum, YearGenreArtist, YearGenreArtistAlbum, or field names (Artist,\n"
    "  Album, Genre, Year) joined by '/'\n";

// An organisation made of the walker's field names only.
bool IsOrganisation(const std::string& name) {
    if (name.empty()) {
        return false;
    }
    for (const std::string& known : CMediaWalkerModel::Organisations()) {
        if (known == name) {
            return true;
        }
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t slash = std::min(name.find('/', start), name.size());
        const std::string part = name.substr(start, slash - start);
        if (part != "Artist" && part != "Album" && part != "Genre" && part != "Year") {
            return false;
        }
        start = slash + 1;
    }
    return true;
}

class TreePrinter {
public:
    TreePrinter(const CMixorel2001Doc& doc, const CMediaWalkerModel& model, bool songs)
        : m_doc(doc), m_model(model), m_bSongs(songs) {}

    void Print(int node) {
        const auto& n = m_model.GetNodes()[static_cast<std::size_t>(node)];
        m_out.assign(static_cast<std::size_t>(2 * n.nDepth), ' ');
        m_out += n.strName + " (" + std::to_string(n.nTotal) + ")\n";
        std::fputs(m_out.c_str(), stdout);
        if (m_bSongs && n.children.empty()) {
            PrintSongs(n);
        }
        for (int child : n.children) {
            Print(child);
        }
    }

private:
    void PrintSongs(const CMediaWalkerModel::Node& n) {
        std::vector<std::string> titles;
        for (std::size_t s : n.songs) {
            const CSong* song = m_doc.FindById(m_model.GetSong(s).strId);
            titles.push_back(song != nullptr ? song->GetTitle() : std::string());
        }
        std::stable_sort(titles.begin(), titles.end());
        const std::string indent(static_cast<std::size_t>(2 * (n.nDepth + 1)), ' ');
        for (const std::string& title : titles) {
            std::fputs((indent + title + "\n").c_str(), stdout);
        }
    }

    const CMixorel2001Doc& m_doc;
    const CMediaWalkerModel& m_model;
    bool m_bSongs;
    std::string m_out;
};

} // namespace

int RunPlaylistWalk(const std::vector<std::string>& args) {
    std::string organisation = CMediaWalkerModel::Organisations().front();
    bool songs = false;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--by" && i + 1 < args.size()) {
            organisation = args[++i];
        } else if (args[i] == "--songs") {
            songs = true;
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.size() != 1 || !IsOrganisation(organisation)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    CMixorel2001Doc doc;
    const int result = doc.OnOpenDocument(paths[0]);
    if (result != CPlaylistFile::kOk) {
        std::fprintf(stderr, "mixorel-cli: %s: %s\n", paths[0].c_str(),
                     CPlaylistFile::ResultText(result));
        return 1;
    }
    CMediaWalkerModel model;
    model.TakeSnapshot(doc);
    model.BuildTree(organisation);
    TreePrinter(doc, model, songs).Print(0);
    return 0;
}
