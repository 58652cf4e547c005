#pragma once

class CMixorel2001View;

// When the playlist window's tag commands can act: the tag editor edits the song at the
// selection mark (a region header has no file), the auto-tagger the selected lines.
class CTagCommands {
public:
    static constexpr const char* kEditText = "Edit &ID3 tag...\tCtrl+3";
    static constexpr const char* kAutoTagText = "A&uto tag...\tCtrl+Shift+3";

    static bool CanEdit(CMixorel2001View& view);
    static bool CanAutoTag(const CMixorel2001View& view);
};
