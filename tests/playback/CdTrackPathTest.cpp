#include "playback/CCdTrackPath.h"

#include <gtest/gtest.h>

TEST(CdTrackPathTest, RecognisesTracksWhateverTheCaseAndBlanks) {
    EXPECT_TRUE(CCdTrackPath::IsCdTrack("/media/cdrom/Track07.cda"));
    EXPECT_TRUE(CCdTrackPath::IsCdTrack("  /media/cdrom/TRACK07.CDA  "));
    EXPECT_FALSE(CCdTrackPath::IsCdTrack("/music/song.mp3"));
    EXPECT_FALSE(CCdTrackPath::IsCdTrack("/music/cda"));
}

TEST(CdTrackPathTest, TrackNumberFollowsTheFirstTrackWord) {
    EXPECT_EQ(CCdTrackPath::TrackText("/media/cdrom/Track03.cda"), "3");
    EXPECT_EQ(CCdTrackPath::TrackNumber("/media/cdrom/track12.cda"), 12);
    EXPECT_EQ(CCdTrackPath::TrackText("/media/cdrom/Track.cda"), "0");
    EXPECT_EQ(CCdTrackPath::TrackText("/music/track05.mp3"), "0") << "not a CD track";
}
