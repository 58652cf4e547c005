#pragma once

#include "MixType.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Reader of the mix-type file "mix.ini": records of three lines, a name, the fade-in
// steps and the fade-out steps.
//
// Lines are read as a C text stream reads them: a line ends after its line break, which
// stays part of it ("\r\n" counts as one "\n"); a line holds at most 4095 characters and
// the rest of a longer one counts as the next line; a NUL byte ends the line's text. The
// name loses every CR and LF. A value line is cut into tokens, maximal runs of characters
// other than blank and comma (so the line break stays in the last token), and each token
// gives one step by the rules of atol. Reading ends at the first record that lacks a line;
// that record is dropped.
class CMixIniReader {
public:
    static constexpr std::size_t kMaxLineLength = 4095;
    // A larger file is not a mix-type file.
    static constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;

    // Result codes of ReadFile.
    enum ReadResult : int { kRead = 0, kCannotOpen = 1, kReadError = 2, kTooLarge = 3 };

    // The records of the bytes of a whole file. Any bytes parse.
    static std::vector<MixType> Parse(std::span<const std::uint8_t> bytes);
    // Reads and parses a file; the types are filled only when the result is kRead.
    static int ReadFile(const std::string& path, std::vector<MixType>& types);

    // One token's step by the rules of atol: leading white space skipped, an optional
    // sign, digits up to the first other character, 0 when there are none. Values beyond
    // the 32-bit range saturate, as a 32-bit strtol does.
    static std::int32_t ParseStep(std::string_view token);
    // The steps of one value line.
    static std::vector<std::int32_t> ParseSteps(std::string_view line);
};
