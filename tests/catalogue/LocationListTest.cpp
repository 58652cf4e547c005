#include "catalogue/CArchiveWriter.h"
#include "catalogue/CLocationList.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

Texts Folders(const CLocationList& list) {
    Texts folders;
    for (int i = 0; i < list.GetCount(); ++i) {
        folders.push_back(list.GetAt(i));
    }
    return folders;
}

TEST(LocationListTest, AddMovesToTheFrontAndComparesExactly) {
    CLocationList list;
    list.Add("/music/a/");
    list.Add("/music/b/");
    list.Add("/music/c/");
    EXPECT_EQ(Folders(list), (Texts{"/music/c/", "/music/b/", "/music/a/"}));
    // The same folder again goes first; one that differs in letter case is another folder.
    list.Add("/music/a/");
    EXPECT_EQ(Folders(list), (Texts{"/music/a/", "/music/c/", "/music/b/"}));
    list.Add("/m/Rock/");
    list.Add("/m/rock/");
    EXPECT_EQ(Folders(list),
              (Texts{"/m/rock/", "/m/Rock/", "/music/a/", "/music/c/", "/music/b/"}));
    EXPECT_EQ(list.GetAt(-1), "");
    EXPECT_EQ(list.GetAt(5), "");
    list.RemoveAt(1);
    list.RemoveAt(7);
    EXPECT_EQ(Folders(list), (Texts{"/m/rock/", "/music/a/", "/music/c/", "/music/b/"}));
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
}

// Count, then the texts in the archive encodings.
TEST(LocationListTest, StoredLayout) {
    CLocationList list;
    list.Add("/b/");
    list.Add("/a/");
    CArchiveWriter ar;
    list.Serialize(ar);
    const std::vector<std::uint8_t> expected = {2, 0, 0, 0, 3, '/', 'a', '/', 3, '/', 'b', '/'};
    EXPECT_EQ(ar.Bytes(), expected);
    CLocationList read;
    ASSERT_TRUE(read.Parse(expected));
    EXPECT_EQ(Folders(read), Folders(list));
}

TEST(LocationListTest, DamagedBytesGiveAnEmptyList) {
    const std::vector<std::vector<std::uint8_t>> damaged = {
        {},                                                     // empty file
        {2, 0, 0},                                              // count cut short
        {2, 0, 0, 0, 3, '/', 'a', '/'},                         // one text of two
        {1, 0, 0, 0, 9, '/', 'a'},                              // a text longer than the data
        {0xFF, 0xFF, 0xFF, 0xFF, 1, 'x'},                       // a count no file can hold
        {1, 0, 0, 0, 0xFF, 0xFE, 0xFF},                         // a length that is never written
        {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, // 2 GB text
    };
    for (const auto& bytes : damaged) {
        CLocationList list;
        list.Add("/kept/");
        EXPECT_FALSE(list.Parse(bytes)) << bytes.size();
        EXPECT_EQ(list.GetCount(), 0);
    }
    // Bytes after the last folder are ignored; texts from Windows are converted.
    CLocationList list;
    ASSERT_TRUE(list.Parse(std::vector<std::uint8_t>{1, 0, 0, 0, 4, 'C', 'a', 'f', 0xE9, 7, 7}));
    EXPECT_EQ(list.GetAt(0), "Café");
}

// A missing file is created empty; a damaged one reads empty and is left as it was;
// a save leaves nothing beside the file.
TEST(LocationListTest, FilesOnDisk) {
    TempDir dir;
    const std::string path = dir.File("locations.dat");
    CLocationList list;
    list.Add("/stale/");
    EXPECT_FALSE(list.Load(path));
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(ReadAll(path), std::vector<std::uint8_t>{});

    list.Add("/music/old/");
    list.Add("/music/夜/");
    ASSERT_TRUE(list.Save(path));
    CLocationList read;
    ASSERT_TRUE(read.Load(path));
    EXPECT_EQ(Folders(read), (Texts{"/music/夜/", "/music/old/"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

    const std::vector<std::uint8_t> damaged = {5, 0, 0, 0, 3, '/', 'a'};
    WriteAll(path, damaged);
    EXPECT_FALSE(read.Load(path));
    EXPECT_EQ(read.GetCount(), 0);
    EXPECT_EQ(ReadAll(path), damaged);
    // A folder in place of the file, and a save into a folder that does not exist.
    EXPECT_FALSE(list.Load(dir.Path()));
    EXPECT_FALSE(list.Save(dir.File("none/locations.dat")));
}

} // namespace
