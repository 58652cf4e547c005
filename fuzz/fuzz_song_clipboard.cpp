// Fuzz target of the song data another program may leave on the clipboard: it is pasted
// into a playlist that already holds a song and a region. Whatever reads must paste, copy
// back and read again as the same records.
#include "catalogue/CMemorySongClipboard.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CSongClipboardData.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CMemorySongClipboard clipboard;
    clipboard.SetData(ISongClipboard::kSongFormat, std::vector<std::uint8_t>(data, data + size));
    CMixorel2001Doc doc;
    doc.SetClipboard(&clipboard);
    CSong song;
    song.SetPathText("/music/a.mp3");
    CSong region;
    region.SetRegion(true);
    region.SetTitle("Region");
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
    doc.InsertSongAt(CMixorel2001Doc::kAfterLast, song, answer);
    doc.InsertSongAt(CMixorel2001Doc::kAfterLast, region, answer);
    doc.SetLoopPos(1);

    std::vector<std::string> pasted;
    if (!doc.PasteSongs(0, &pasted, false, answer)) {
        return 0;
    }
    if (doc.GetCount() != static_cast<int>(pasted.size()) + 2 || doc.GetLoopPos() < 1) {
        __builtin_trap();
    }
    if (!doc.CopySongs(pasted, false, false)) {
        __builtin_trap();
    }
    std::vector<std::uint8_t> copied;
    std::vector<CSong> again;
    if (!clipboard.GetData(ISongClipboard::kSongFormat, copied) ||
        CSongClipboardData::Parse(copied, again) != 0 || again.size() != pasted.size()) {
        __builtin_trap();
    }
    return 0;
}
