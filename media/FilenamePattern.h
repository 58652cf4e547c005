#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

// A file-name pattern of the auto-tagger, such as {ARTIST}-{TITLE}: an ordered list of
// field items (lower-case keys) and separator items. Parse reads a file name from its
// end: each separator is searched for at its last occurrence, the text after it is the
// value of the field that follows it, and the field before the first separator takes
// what is left.
class FilenamePattern {
public:
    // The field names in the order the dialog offers them.
    static constexpr const char* kFieldNames[] = {"ARTIST", "ALBUM", "TITLE",  "GENRE",
                                                  "YEAR",   "TRACK", "COMMENT"};

    void AddField(std::string_view key);
    void AddSeparator(std::string_view text);
    void Clear();
    bool HasField() const;

    // Reads the name (folder and extension removed first) into the field values; a field
    // keeps the first value found for it.
    void Parse(std::string_view fileName);
    // The value found for a key, or empty.
    std::string Lookup(std::string_view key) const;

    // The pattern of a criteria text such as "{TRACK}-{ARTIST}-{TITLE}", as the dialog's
    // Add button builds it (each field followed by the separator typed after it, possibly
    // empty). False for an unknown or repeated field name or an unclosed brace.
    bool SetCriteria(std::string_view criteria);

private:
    struct Item {
        bool bField;
        std::string strText; // the key of a field, the text of a separator
    };
    std::vector<Item> m_items;
    std::map<std::string, std::string, std::less<>> m_values;
};
