#pragma once

#include "Id3v2Tag.h"

// Turns a parsed version 2.2 tag into a version 2.3 tag: every frame with a 2.3
// counterpart gets its 2.3 identifier (a picture "PIC" becomes "APIC" with a MIME type
// instead of its 3-letter image format); frames without one are dropped.
namespace Id3v2Upgrade {

void ToVersion23(Id3v2Tag& tag);

} // namespace Id3v2Upgrade
