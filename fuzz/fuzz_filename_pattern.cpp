// Fuzz target of the auto-tagger's file-name pattern: the input up to its first zero byte
// is the criteria text, the rest a file name. A criteria text that is taken must parse
// any name, and every value found must be a piece of the name without outer blanks.
#include "media/FilenamePattern.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string_view criteria = input.substr(0, split);
    const std::string name(split == std::string_view::npos ? std::string_view()
                                                           : input.substr(split + 1));
    FilenamePattern pattern;
    if (!pattern.SetCriteria(criteria)) {
        return 0;
    }
    pattern.Parse(name);
    for (const char* field : FilenamePattern::kFieldNames) {
        const std::string value = pattern.Lookup(field);
        if (!value.empty() && (name.find(value) == std::string::npos || value.front() == ' ' ||
                               value.back() == ' ')) {
            __builtin_trap();
        }
    }
    return 0;
}
