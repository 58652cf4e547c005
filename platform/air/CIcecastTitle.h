#pragma once

#include <string>

// Sets the title an Icecast mount shows its listeners, by the admin call a source client
// may make for its own mount. MP3 listeners get it in the ICY metadata, Ogg Vorbis
// listeners as a new comment header. Blocks for at most a few seconds; call it from a
// control thread, never the mixer's.
namespace CIcecastTitle {

// True when the server answered 200 to the update.
bool Send(const std::string& host, int port, const std::string& mount, const std::string& user,
          const std::string& password, const std::string& title);

} // namespace CIcecastTitle
