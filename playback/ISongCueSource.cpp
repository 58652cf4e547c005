#include "ISongCueSource.h"

#include <mutex>

namespace {

std::mutex& SourceMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<ISongCueSource>& Source() {
    static std::shared_ptr<ISongCueSource> source;
    return source;
}

} // namespace

void SetSongCueSource(std::shared_ptr<ISongCueSource> pSource) {
    std::lock_guard lock(SourceMutex());
    Source() = std::move(pSource);
}

std::shared_ptr<ISongCueSource> GetSongCueSource() {
    std::lock_guard lock(SourceMutex());
    return Source();
}
