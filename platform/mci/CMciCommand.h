#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One command string split into words: the verb, the device (a file name, "cdaudio" or
// an alias) and the words after it. A double-quoted part is one word without its
// quotes. Keywords compare without case; values keep the case they were written in.
//
// Handlers take the words they understand out of the command; words left over mean the
// command had a parameter the handler does not know.
class CMciCommand {
public:
    // false when a closing quotation mark is missing.
    bool Parse(std::string_view text);

    // Lower-case; empty for an empty command.
    const std::string& Verb() const { return m_strVerb; }
    // As written; empty when the command names no device.
    const std::string& Device() const { return m_strDevice; }

    // Removes the word (any case) wherever it stands; true when it was there.
    bool TakeFlag(std::string_view keyword);
    // Removes the consecutive words (any case) wherever they stand; true when they were
    // there. TakeWords({"time", "format"}).
    bool TakeWords(std::initializer_list<std::string_view> keywords);
    // Removes keyword and the word after it; value receives that word. false when the
    // keyword is absent; true with an empty value when nothing follows it.
    bool TakeValue(std::string_view keyword, std::string& value);
    // Removes and returns the first remaining word (empty when none is left).
    std::string TakeNext();

    bool HasRest() const { return !m_rest.empty(); }

    static std::string Lower(std::string_view text);
    static bool SameWord(std::string_view a, std::string_view b);
    // A non-negative decimal number that fits; false otherwise.
    static bool ParseNumber(std::string_view text, std::int64_t& value);

private:
    std::string m_strVerb;
    std::string m_strDevice;
    std::vector<std::string> m_rest;
};
