#include "CSongTagCache.h"

#include "media/Id3v1Tag.h"
#include "media/TagLibFile.h"

CSongTagCache& CSongTagCache::Shared() {
    static CSongTagCache cache;
    return cache;
}

void CSongTagCache::Store(const std::string& path, const CSong::TagBlock& block) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_blocks[path] = block;
}

void CSongTagCache::Forget(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_blocks.erase(path);
}

CSong::TagBlock CSongTagCache::BlockFor(const CSong& song) {
    if (song.IsRegion()) {
        return song.GetTag();
    }
    return BlockFor(song.GetTag(), song.GetLocation());
}

CSong::TagBlock CSongTagCache::BlockFor(const CSong::TagBlock& own, const std::string& location) {
    if (Id3v1Tag::IsTag(own) || !TagLibFile::KnowsExtension(location)) {
        return own;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_blocks.find(location);
        if (found != m_blocks.end()) {
            return found->second;
        }
    }
    // Read without the lock: another thread may read the same file meanwhile, and both
    // store the same block.
    const TagLibFacts facts = TagLibFile::Read(location);
    const CSong::TagBlock block =
        facts.hasTag ? CSong::TagBlockFromFields(facts.fields) : CSong::TagBlock{};
    Store(location, block);
    return Id3v1Tag::IsTag(block) ? block : own;
}
