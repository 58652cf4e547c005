#pragma once

#include <string>

// The dialogs and shell services of the M3U import and the HTML song list, implemented by
// the desktop shell (a fake in tests). User-interface thread only.
class IExchangeUi {
public:
    virtual ~IExchangeUi() = default;
    // Open-file dialog (file must exist; "m3u files (*.m3u)|*.m3u|All files (*.*)|*.*||");
    // false on cancel.
    virtual bool ChooseM3uFile(std::string& path) = 0;
    // Save dialog ("HTML files (*.html)|*.html|HTM files (*.htm)|*.htm|All files
    // (*.*)|*.*||", ".html" added to a name without extension, asking before
    // overwriting); false on cancel.
    virtual bool ChooseHtmlFile(std::string& path) = 0;
    // Opens a file with the desktop's handler for it.
    virtual void OpenWithSystem(const std::string& path) = 0;
};
