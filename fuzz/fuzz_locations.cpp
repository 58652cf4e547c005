// Fuzz target of the locations.dat reader, on the input as the whole file. A list that
// reads must store and read back to the same folders; adding one of them again keeps
// the count (no duplicates that differ only in letter case come in by Add).
#include "catalogue/CArchiveWriter.h"
#include "catalogue/CLocationList.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CLocationList list;
    if (!list.Parse(std::span<const std::uint8_t>(data, size))) {
        if (list.GetCount() != 0) {
            __builtin_trap();
        }
        return 0;
    }
    CArchiveWriter ar;
    list.Serialize(ar);
    CLocationList again;
    if (!again.Parse(ar.Bytes()) || again.GetFolders() != list.GetFolders()) {
        __builtin_trap();
    }
    if (again.GetCount() > 0) {
        const int count = again.GetCount();
        again.Add(again.GetAt(count - 1));
        if (again.GetCount() > count || again.GetAt(0) != list.GetAt(count - 1)) {
            __builtin_trap();
        }
    }
    return 0;
}
