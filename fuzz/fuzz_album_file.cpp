// Fuzz target of the album file reader, on the input as the whole file. An album that
// reads must write back as bytes that read to the same paths and then write the very
// same bytes again.
#include "catalogue/CAlbumFile.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> paths;
    if (CAlbumFile::Parse(std::span<const std::uint8_t>(data, size), paths) != CAlbumFile::kOk) {
        return 0;
    }
    const std::vector<std::uint8_t> first = CAlbumFile::Build(paths);
    std::vector<std::string> again;
    if (CAlbumFile::Parse(first, again) != CAlbumFile::kOk || again != paths ||
        CAlbumFile::Build(again) != first) {
        __builtin_trap();
    }
    return 0;
}
