#pragma once

#include "CSong.h"

#include <mutex>
#include <string>
#include <unordered_map>

// The tags of songs whose files keep them in their own format (FLAC, Ogg, Opus, M4A, ...)
// rather than in ID3: their records keep an empty ID3v1 block, so the walker, the song
// tooltip and the now-playing facts take an ID3v1-shaped block from here instead. The
// processing thread fills it as it reads each file; a song read before this run (its
// facts loaded from the playlist) is read on first demand and then remembered.
class CSongTagCache {
public:
    static CSongTagCache& Shared();

    // Remembers the block for a file (a block that is no tag: the file has none).
    void Store(const std::string& path, const CSong::TagBlock& block);
    // Forgets a file, after its tags were written.
    void Forget(const std::string& path);
    // The block to show for a song: its own when that is a tag; else, for a file of the
    // other formats, the remembered block or the one read now; else its own.
    CSong::TagBlock BlockFor(const CSong& song);
    CSong::TagBlock BlockFor(const CSong::TagBlock& own, const std::string& location);

private:
    std::mutex m_mutex;
    std::unordered_map<std::string, CSong::TagBlock> m_blocks;
};
