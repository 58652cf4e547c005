#pragma once

#include "platform/remote/IRemotePlayerLink.h"

#include <memory>
#include <string>

// Makes the MPRIS remote-player link (the module mixorel-mpris-link.so, loaded from
// beside the executable or from the installed module folder). Null, with the reason in
// error, when the module cannot be loaded. The module stays loaded for the life of the
// process.
std::shared_ptr<IRemotePlayerLink> LoadMprisLink(std::string& error);
