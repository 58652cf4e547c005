#include "Id3v2Fields.h"

void Id3v2Fields::Clear() {
    *this = Id3v2Fields{};
}
