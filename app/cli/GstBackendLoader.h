#pragma once

#include <string>

// Makes the GStreamer back end (the module mixorel-gst-backend.so, loaded from beside the
// executable or from the installed module folder) the process's media-control factory.
// False, with the reason in error, when the module cannot be loaded. The module stays
// loaded for the life of the process. Call it before any player exists.
bool InstallGstBackend(std::string& error);
