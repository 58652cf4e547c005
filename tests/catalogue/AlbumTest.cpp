#include "DocumentFakes.h"

#include "catalogue/CAlbumFile.h"
#include "catalogue/CAlbumManager.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

TEST(AlbumFileTest, LayoutAndRoundTrip) {
    const std::vector<std::string> paths = {"/m/a.qmx", "/m/ö.qmx"};
    const std::vector<std::uint8_t> bytes = CAlbumFile::Build(paths);
    const std::vector<std::uint8_t> expected =
        Bytes(std::string("\x05qmx-p\x02\x00\x00\x00\x08/m/a.qmx\x09/m/\xC3\xB6.qmx", 29));
    EXPECT_EQ(bytes, expected);
    std::vector<std::string> read;
    EXPECT_EQ(CAlbumFile::Parse(bytes, read), CAlbumFile::kOk);
    EXPECT_EQ(read, paths);
    // An album without playlists is a valid album.
    EXPECT_EQ(CAlbumFile::Build({}), Bytes(std::string("\x05qmx-p\0\0\0\0", 10)));
    EXPECT_EQ(CAlbumFile::Parse(CAlbumFile::Build({}), read), CAlbumFile::kOk);
    EXPECT_TRUE(read.empty());
}

TEST(AlbumFileTest, DamagedFilesAnswerAClearError) {
    struct Case {
        std::string bytes;
        int result;
        std::size_t pathsRead;
    };
    const Case cases[] = {
        {"", CAlbumFile::kWrongSignature, 0},
        {std::string("\x05QMX-P\0\0\0\0", 10), CAlbumFile::kWrongSignature, 0},
        {std::string("\x05qmx-q\0\0\0\0", 10), CAlbumFile::kWrongSignature, 0},
        {std::string("\x08qmx201-4\0\0\0\0", 13), CAlbumFile::kWrongSignature, 0},
        {"\x05qmx-", CAlbumFile::kWrongSignature, 0},
        {"\x05qmx-p", CAlbumFile::kTruncated, 0},
        {std::string("\x05qmx-p\x02\0\0", 9), CAlbumFile::kTruncated, 0},
        {std::string("\x05qmx-p\x02\0\0\0\x01"
                     "a",
                     12),
         CAlbumFile::kTruncated, 1},
        {std::string("\x05qmx-p\x01\0\0\0\x09/m/", 14), CAlbumFile::kTruncated, 0},
        {std::string("\x05qmx-p\xFF\xFF\xFF\xFF\x01x", 12), CAlbumFile::kTruncated, 0},
        {std::string("\x05qmx-p\x01\0\0\0\xFF\xFE\xFF", 13), CAlbumFile::kDamaged, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::string> paths = {"stale"};
        EXPECT_EQ(CAlbumFile::Parse(Bytes(c.bytes), paths), c.result) << c.bytes.size();
        EXPECT_EQ(paths.size(), c.pathsRead) << c.bytes.size();
    }
}

TEST(AlbumFileTest, FilesOnDisk) {
    TempDir dir;
    std::vector<std::string> paths;
    EXPECT_EQ(CAlbumFile::Read(dir.File("none.qma"), paths), CAlbumFile::kCannotOpen);
    EXPECT_EQ(CAlbumFile::Write(dir.File("a.qma"), {"/x.qmx"}), CAlbumFile::kOk);
    EXPECT_EQ(CAlbumFile::Read(dir.File("a.qma"), paths), CAlbumFile::kOk);
    EXPECT_EQ(paths, Texts{"/x.qmx"});
    EXPECT_EQ(CAlbumFile::Write(dir.File("no/a.qma"), {}), CAlbumFile::kCannotWrite);
}

class AlbumManagerTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("MIXOREL_HOME", m_dir.File("home").c_str(), 1); }
    void TearDown() override { unsetenv("MIXOREL_HOME"); }
    void AddPlaylist(const std::string& path, bool modified = false, bool answer = true) {
        m_host.m_playlists.push_back(std::make_unique<FakePlaylist>(path, modified, answer));
    }
    std::vector<std::string> Stored(const std::string& path) {
        std::vector<std::string> paths;
        EXPECT_EQ(CAlbumFile::Read(path, paths), CAlbumFile::kOk);
        return paths;
    }

    TempDir m_dir;
    FakeAlbumHost m_host;
    CAlbumManager m_albums{m_host};
};

// Three playlists open, one never saved: the album lists the two that have files.
TEST_F(AlbumManagerTest, SaveWritesThePlaylistsThatHaveFiles) {
    AddPlaylist("/m/one.qmx");
    AddPlaylist("");
    AddPlaylist("/m/two.qmx", true);
    m_host.m_choice = m_dir.File("party.qma");
    EXPECT_TRUE(m_albums.SaveAlbum(true, "", true));
    EXPECT_EQ(Stored(m_dir.File("party.qma")), (Texts{"/m/one.qmx", "/m/two.qmx"}));
    EXPECT_EQ(m_host.m_dialogs, Texts{"save:"});
    EXPECT_EQ(m_albums.GetAlbumPath(), m_dir.File("party.qma"));
    EXPECT_EQ(m_albums.GetRecentAlbums(), Texts{m_dir.File("party.qma")});
    EXPECT_EQ(m_host.m_titles, Texts{"party"});
    for (const auto& playlist : m_host.m_playlists) {
        EXPECT_EQ(playlist->m_asked, 1);
    }
}

// A cancelled question ends the visit; the album holds what was collected before it.
TEST_F(AlbumManagerTest, CancelledQuestionEndsTheVisitButWritesTheAlbumAndSavingWithoutQuestions) {
    AddPlaylist("/m/one.qmx");
    AddPlaylist("/m/two.qmx", true, false);
    AddPlaylist("/m/three.qmx");
    const std::string path = m_dir.File("a.qma");
    EXPECT_FALSE(m_albums.SaveAlbum(true, path, true));
    EXPECT_EQ(Stored(path), Texts{"/m/one.qmx"});
    EXPECT_EQ(m_host.m_playlists[2]->m_asked, 0);
    // A given path opens no dialog and is not added to the recent albums.
    EXPECT_TRUE(m_host.m_dialogs.empty());
    EXPECT_TRUE(m_albums.GetRecentAlbums().empty());
    EXPECT_EQ(m_albums.GetAlbumPath(), path);
    // Without questions only modified playlists are saved; without saving none is touched.
    m_host.m_playlists[1]->m_answer = true;
    EXPECT_TRUE(m_albums.SaveAlbum(false, m_dir.File("b.qma"), true));
    EXPECT_EQ(m_host.m_playlists[0]->m_saved, 0);
    EXPECT_EQ(m_host.m_playlists[1]->m_saved, 1);
    EXPECT_TRUE(m_albums.SaveAlbum(false, m_dir.File("c.qma"), false));
    EXPECT_EQ(m_host.m_playlists[1]->m_saved, 1);
    EXPECT_EQ(Stored(m_dir.File("c.qma")).size(), 3u);
    // A cancelled dialog writes nothing.
    EXPECT_FALSE(m_albums.SaveAlbum(true, "", true));
}

TEST_F(AlbumManagerTest, OpenOpensEveryPlaylistInOrder) {
    const std::string path = m_dir.File("Party.qma");
    ASSERT_EQ(CAlbumFile::Write(path, {"/m/b.qmx", "/m/a.qmx", "/m/b.qmx"}), CAlbumFile::kOk);
    m_host.m_choice = path;
    EXPECT_TRUE(m_albums.OpenAlbum("", false));
    EXPECT_EQ(m_host.m_opened, (Texts{"/m/b.qmx", "/m/a.qmx", "/m/b.qmx"}));
    EXPECT_EQ(m_host.m_closed, 1);
    EXPECT_EQ(m_host.m_titles, Texts{"Party"});
    EXPECT_EQ(m_albums.GetAlbumPath(), path);
    EXPECT_EQ(m_albums.GetRecentAlbums(), Texts{path});
    // A cancelled dialog does nothing at all.
    m_host.m_choice.clear();
    EXPECT_FALSE(m_albums.OpenAlbum("", false));
    EXPECT_EQ(m_host.m_closed, 1);
}

// A wrong signature (letter case counts) opens nothing; a damaged tail keeps what was
// opened before the damage.
TEST_F(AlbumManagerTest, WrongOrDamagedFiles) {
    const std::string wrong = m_dir.File("wrong.qma");
    WriteAll(wrong, Bytes(std::string("\x05QMX-P\x01\0\0\0\x03/a\n", 14)));
    EXPECT_FALSE(m_albums.OpenAlbum(wrong, false));
    EXPECT_TRUE(m_host.m_opened.empty());
    EXPECT_TRUE(m_host.m_titles.empty());
    EXPECT_EQ(m_host.m_errors.size(), 1u);

    const std::string damaged = m_dir.File("damaged.qma");
    WriteAll(damaged, Bytes(std::string("\x05qmx-p\x03\0\0\0\x04/a.x\x09/b", 17)));
    EXPECT_FALSE(m_albums.OpenAlbum(damaged, false));
    EXPECT_EQ(m_host.m_opened, Texts{"/a.x"});
    EXPECT_EQ(m_host.m_errors.size(), 2u);
    EXPECT_TRUE(m_albums.GetRecentAlbums().empty());

    EXPECT_FALSE(m_albums.OpenAlbum(m_dir.File("missing.qma"), false));
    EXPECT_EQ(m_host.m_errors.size(), 3u);
}

// The default album lies in the program folder; opening it keeps the window title and
// leaves no current album path.
TEST_F(AlbumManagerTest, DefaultAlbum) {
    EXPECT_EQ(CAlbumFile::DefaultPath(), m_dir.File("home") + "/default.qms");
    AddPlaylist("/m/one.qmx");
    EXPECT_TRUE(m_albums.SaveAlbum(true, CAlbumFile::DefaultPath(), true));
    m_albums.SetAlbumPath("/somewhere/else.qma");
    EXPECT_TRUE(m_albums.OpenAlbum("", true));
    EXPECT_EQ(m_host.m_opened, Texts{"/m/one.qmx"});
    EXPECT_EQ(m_host.m_closed, 0);
    EXPECT_TRUE(m_host.m_titles.empty());
    EXPECT_EQ(m_albums.GetAlbumPath(), "");
    EXPECT_TRUE(m_albums.GetRecentAlbums().empty());
}

TEST_F(AlbumManagerTest, RecentAlbumsKeepFourMostRecentFirst) {
    m_albums.SetRecentAlbums({"/a.qma", "", "/b.qma", "/a.qma"});
    EXPECT_EQ(m_albums.GetRecentAlbums(), (Texts{"/a.qma", "/b.qma"}));
    for (const char* path : {"/c.qma", "/d.qma", "/e.qma", "/b.qma"}) {
        m_albums.AddRecentAlbum(path);
    }
    EXPECT_EQ(m_albums.GetRecentAlbums(), (Texts{"/b.qma", "/e.qma", "/d.qma", "/c.qma"}));
}

} // namespace
