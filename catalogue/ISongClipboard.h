#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The system clipboard as the song operations use it: blocks of song data under a
// format name, and a list of song files for file managers and disc burners. The desktop
// implementation maps the formats to MIME types; tests and the headless tool use an
// in-memory one. Every call may fail when the clipboard cannot be opened.
class ISongClipboard {
public:
    // Copy and paste, and drag and drop inside the program.
    static constexpr const char* kSongFormat = "Mixorel2001-10";
    static constexpr const char* kDragFormat = "Mixorel2001-10drag";

    virtual ~ISongClipboard() = default;

    // Replaces the clipboard's whole contents with one block of data.
    virtual bool SetData(const std::string& format, const std::vector<std::uint8_t>& data) = 0;
    // Puts the file list on the clipboard; the other contents stay when keepContents is
    // set, otherwise the clipboard is emptied first. cut tells file managers the files
    // are to be moved.
    virtual bool SetFileList(const std::vector<std::string>& paths, bool keepContents,
                             bool cut) = 0;
    // The block under a format; false when there is none or the clipboard is busy.
    virtual bool GetData(const std::string& format, std::vector<std::uint8_t>& data) = 0;
    virtual void RemoveData(const std::string& format) = 0;
};
