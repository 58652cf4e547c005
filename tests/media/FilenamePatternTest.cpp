#include "media/FilenamePattern.h"

#include <gtest/gtest.h>

namespace {

TEST(FilenamePatternTest, NamesReadFromTheirEnd) {
    struct Case {
        const char* criteria;
        const char* name;
        const char* artist;
        const char* title;
        const char* track;
    };
    const Case cases[] = {
        {"{ARTIST}-{TITLE}", "/music/Some Band - Some Song.mp3", "Some Band", "Some Song", ""},
        {"{ARTIST}-{TITLE}", "A-B-C.mp3", "A-B", "C", ""},
        {"{TRACK}-{ARTIST}-{TITLE}", "07-Band-Song.mp3", "Band", "Song", "07"},
        // Without the separator the remainder is never consumed: both fields take it.
        {"{ARTIST}-{TITLE}", "Song.mp3", "Song", "Song", ""},
        // Nothing is left for the artist.
        {"{ARTIST}-{TITLE}", "-Song.mp3", "", "Song", ""},
        // A separator that ends the name gives no value of its own.
        {"{ARTIST}-{TITLE}", "Song-.mp3", "Song-", "Song-", ""},
        // Separators of more than one character are skipped whole.
        {"{ARTIST} - {TITLE}", "AC-DC - Back in Black.mp3", "AC-DC", "Back in Black", ""},
        {"{ARTIST}-{TITLE}", "Öl-Straße.mp3", "Öl", "Straße", ""},
        {"{TITLE}", "no.extension.here", "", "no.extension", ""},
    };
    for (const Case& c : cases) {
        FilenamePattern pattern;
        ASSERT_TRUE(pattern.SetCriteria(c.criteria)) << c.criteria;
        pattern.Parse(c.name);
        EXPECT_EQ(pattern.Lookup("artist"), c.artist) << c.criteria << " on " << c.name;
        EXPECT_EQ(pattern.Lookup("TITLE"), c.title) << c.criteria << " on " << c.name;
        EXPECT_EQ(pattern.Lookup("track"), c.track) << c.criteria << " on " << c.name;
    }
}

TEST(FilenamePatternTest, CriteriaTexts) {
    FilenamePattern pattern;
    for (const char* bad : {"{FOO}-{TITLE}", "{TITLE}-{TITLE}", "{ARTIST", "{artist}"}) {
        EXPECT_FALSE(pattern.SetCriteria(bad)) << bad;
    }
    ASSERT_TRUE(pattern.SetCriteria("--"));
    EXPECT_FALSE(pattern.HasField());
    ASSERT_TRUE(pattern.SetCriteria("{YEAR}"));
    EXPECT_TRUE(pattern.HasField());
    pattern.Parse("1999.mp3");
    EXPECT_EQ(pattern.Lookup("year"), "1999");
    EXPECT_EQ(pattern.Lookup("album"), "");
}

} // namespace
