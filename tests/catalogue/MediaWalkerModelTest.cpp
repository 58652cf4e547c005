#include "DocumentFakes.h"

#include "catalogue/CMediaWalkerModel.h"
#include "catalogue/CMixorel2001Doc.h"
#include "media/Id3v1Tag.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TaggedSong {
    const char* title; // also the path
    const char* artist;
    const char* album;
    int year;
    const char* genre; // nullptr: no ID3v1 tag at all
};

// A playlist of the songs, a region line between them; answers their identities.
std::vector<std::string> Fill(CMixorel2001Doc& doc, const std::vector<TaggedSong>& songs) {
    std::vector<std::string> ids;
    for (const TaggedSong& s : songs) {
        CSong song = MakeSong(std::string("/music/") + s.title + ".mp3");
        song.SetTitle(s.title);
        song.SetInfoFlag(true); // processed: the document keeps the tag block
        if (s.genre != nullptr) {
            Id3v1Tag tag;
            tag.SetTitle(s.title);
            tag.SetArtist(s.artist);
            tag.SetAlbum(s.album);
            tag.SetYear(s.year);
            tag.SetGenreByName(s.genre);
            song.SetTag(tag.Build());
        }
        ids.push_back(Insert(doc, song));
        if (ids.size() == 2) {
            Insert(doc, MakeRegion("Break"));
        }
    }
    return ids;
}

// The tree as "name (total)" lines indented by depth, in tree order.
std::string Tree(const CMediaWalkerModel& model, int node = 0) {
    const auto& n = model.GetNodes()[static_cast<std::size_t>(node)];
    std::string text = std::string(static_cast<std::size_t>(2 * n.nDepth), ' ') + n.strName + " (" +
                       std::to_string(n.nTotal) + ")\n";
    for (int child : n.children) {
        text += Tree(model, child);
    }
    return text;
}

const std::vector<TaggedSong> kSongs{
    {"Come Together", "the beatles", "abbey road", 1969, "Rock"},
    {"Something", "THE BEATLES ", "Abbey Road", 1969, "Rock"},
    {"Help", "The Beatles", "Help", 1965, "Pop"},
    {"Untagged", "", "", 0, nullptr},
    {"Gymnopedie", "satie", "", 0, "Classical"},
};

TEST(MediaWalkerModelTest, EachOrganisationGroupsTheSnapshot) {
    CMixorel2001Doc doc;
    Fill(doc, kSongs);
    CMediaWalkerModel model;
    model.TakeSnapshot(doc);
    EXPECT_EQ(model.GetSongCount(), 5u) << "region lines are not songs";

    struct Case {
        const char* organisation;
        const char* tree;
    };
    const Case cases[] = {
        {"Artist/Album", "All (5)\n  The Beatles (3)\n    Abbey Road (2)\n    Help (1)\n"
                         "  ~No Tag Info~ (1)\n    ~No Tag Info~ (1)\n  Satie (1)\n"
                         "    ~unknown~ (1)\n"},
        {"Genre/Artist", "All (5)\n  Rock (2)\n    The Beatles (2)\n  Pop (1)\n"
                         "    The Beatles (1)\n  ~No Tag Info~ (1)\n    ~No Tag Info~ (1)\n"
                         "  Classical (1)\n    Satie (1)\n"},
        {"YearArtist", "All (5)\n  1969 (2)\n    The Beatles (2)\n  1965 (1)\n"
                       "    The Beatles (1)\n  ~No Tag Info~ (1)\n    ~No Tag Info~ (1)\n"
                       "  0 (1)\n    Satie (1)\n"},
        {"YearGenreArtistAlbum", nullptr},
        {"Album", "All (5)\n  Abbey Road (2)\n  Help (1)\n  ~No Tag Info~ (1)\n  ~unknown~ (1)\n"},
    };
    for (const Case& c : cases) {
        model.BuildTree(c.organisation);
        if (c.tree != nullptr) {
            EXPECT_EQ(Tree(model), c.tree) << c.organisation;
        }
    }
    // Four levels: every song sits four levels down.
    EXPECT_EQ(CMediaWalkerModel::LevelsOf("YearGenreArtistAlbum").size(), 4u);
    EXPECT_EQ(CMediaWalkerModel::LevelsOf("GenreArtistAlbum"),
              (std::vector<CMediaWalkerModel::Level>{CMediaWalkerModel::kGenre,
                                                     CMediaWalkerModel::kArtist,
                                                     CMediaWalkerModel::kAlbum}));
    EXPECT_EQ(CMediaWalkerModel::LevelsOf("Composer"),
              std::vector<CMediaWalkerModel::Level>{CMediaWalkerModel::kAlbum});
}

TEST(MediaWalkerModelTest, SongListClipboardAndASongRemovedMeanwhile) {
    CMixorel2001Doc doc;
    const auto ids = Fill(doc, kSongs);
    CMediaWalkerModel model;
    model.TakeSnapshot(doc);
    model.BuildTree("Artist/Album");
    const int beatles = model.GetFirstNode();
    model.FillList(doc, beatles);
    EXPECT_EQ(model.GetListTitles(), (Texts{"Come Together", "Help", "Something"}));
    model.ReverseSort();
    EXPECT_EQ(model.GetListTitles(), (Texts{"Something", "Help", "Come Together"}));
    EXPECT_EQ(model.FindTitle("co", 1), 2);
    EXPECT_EQ(model.FindTitle("SO", 1), 0) << "wraps once";
    EXPECT_EQ(model.FindTitle("xyz", 0), -1);

    model.AddToClipboard({ids[0], ids[1]});
    model.AddToClipboard({ids[1], ids[2]});
    EXPECT_EQ(model.GetClipboardSize(), 3u) << "a song added twice counts once";

    // A song removed from the playlist keeps its place in the tree and shows no title.
    ASSERT_TRUE(doc.RemoveSongs({ids[1]}));
    model.FillList(doc, beatles);
    EXPECT_EQ(model.GetListTitles(), (Texts{"Help", "Come Together", ""}));
    EXPECT_FALSE(model.RefreshSong(doc, ids[1]));
    model.EmptyClipboard();
    EXPECT_EQ(model.GetClipboardSize(), 0u);
}

} // namespace
