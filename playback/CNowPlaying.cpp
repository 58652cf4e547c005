#include "CNowPlaying.h"

#include "CPlayer.h"
#include "catalogue/CPlayedSongs.h"
#include "catalogue/CSongTagCache.h"
#include "media/Id3v1Tag.h"

namespace {

// An ID3v1 text as shown, or empty when the tag leaves it blank.
std::string Shown(const std::string& display) {
    return display == "~unknown~" ? std::string() : display;
}

} // namespace

CNowPlaying CNowPlaying::Read(CPlayer& player, bool looping) {
    CNowPlaying now;
    switch (player.GetMode(true)) {
    case CPlayer::kModePlaying:
        now.status = kPlaying;
        break;
    case CPlayer::kModePaused:
        now.status = kPaused;
        break;
    default:
        now.status = kStopped;
        break;
    }
    std::int32_t seconds = 0;
    if (now.status != kStopped && player.GetLength(seconds) && seconds > 0) {
        now.nLengthUs = static_cast<std::int64_t>(seconds) * 1000000;
    }
    if (now.status != kStopped && player.GetPosition(seconds) && seconds > 0) {
        now.nPositionUs = static_cast<std::int64_t>(seconds) * 1000000;
    }
    const CPlayedSongs& played = CPlayedSongs::Shared();
    now.nTrack = played.GetCount();
    played.VisitLast([&](const CSong& song) {
        now.strPath = song.GetLocation();
        now.strTitle = song.GetTitle();
        Id3v1Tag tag;
        if (tag.Parse(CSongTagCache::Shared().BlockFor(song))) {
            now.strArtist = Shown(tag.DisplayArtist());
            now.strAlbum = Shown(tag.DisplayAlbum());
            if (const std::string title = Shown(tag.DisplayTitle()); !title.empty()) {
                now.strTitle = title;
            }
        }
    });
    now.bCanGoNext = looping;
    return now;
}

const char* CNowPlaying::StatusText(Status status) {
    switch (status) {
    case kPlaying:
        return "Playing";
    case kPaused:
        return "Paused";
    default:
        return "Stopped";
    }
}

bool CNowPlaying::SameAs(const CNowPlaying& o) const {
    return status == o.status && strTitle == o.strTitle && strArtist == o.strArtist &&
           strAlbum == o.strAlbum && strPath == o.strPath && nLengthUs == o.nLengthUs &&
           nTrack == o.nTrack && bCanGoNext == o.bCanGoNext;
}
