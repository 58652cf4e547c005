#pragma once

#include "catalogue/ISongClipboard.h"

#include <QString>

// The desktop clipboard through Qt. Song data travels under the MIME types
// "application/x-mixorel2001-10" and "application/x-mixorel2001-10drag"; the file list as
// "text/uri-list" for file managers plus "x-special/gnome-copied-files", which GNOME-style
// file managers read to tell a copy from a cut. Use from the user-interface thread of a
// running QGuiApplication.
class QtSongClipboard : public ISongClipboard {
public:
    bool SetData(const std::string& format, const std::vector<std::uint8_t>& data) override;
    bool SetFileList(const std::vector<std::string>& paths, bool keepContents, bool cut) override;
    bool GetData(const std::string& format, std::vector<std::uint8_t>& data) override;
    void RemoveData(const std::string& format) override;

    static QString MimeTypeFor(const std::string& format);
};
