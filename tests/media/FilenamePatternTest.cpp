#include "media/FilenamePattern.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>

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
        SCOPED_TRACE(std::string(c.criteria) + " on " + c.name);
        FilenamePattern pattern;
        ASSERT_TRUE(pattern.SetCriteria(c.criteria));
        pattern.Parse(c.name);
        EXPECT_EQ(
            std::tuple(pattern.Lookup("artist"), pattern.Lookup("TITLE"), pattern.Lookup("track")),
            std::tuple(c.artist, c.title, c.track));
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
