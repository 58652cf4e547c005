#pragma once

#include <string>
#include <string_view>

// The text rules of the title template (setting "id3tags", default "%3 - %4"):
// "%1" file name, "%2" album, "%3" artist, "%4" song title, "%5" comment, "%6" full
// path, "%7" folder and file name. "%1", "%6" and "%7" act only as the whole template;
// inside a longer template they stay as written.
class CTitleTemplate {
public:
    enum Kind { kFileName, kFolderAndFileName, kFullPath, kTags };

    // The kind of a template, judged after trimming its blanks.
    static Kind Classify(std::string_view titleTemplate);
    // The part of the path after its last "/" (the whole path without one).
    static std::string FileName(std::string_view path);
    // "folder/file" with the folder between the last two "/" (empty when the path has only
    // one); the whole path without any "/". "/music/rock/song.mp3" gives "rock/song.mp3".
    static std::string FolderAndFileName(std::string_view path);
    // Replaces every "%3", then every "%4", "%2" and "%5", one after the other.
    static std::string ReplaceTags(std::string_view titleTemplate, std::string_view artist,
                                   std::string_view title, std::string_view album,
                                   std::string_view comment);
    // True when every text the template uses ("%3" artist, "%4" title, "%2" album, "%5"
    // comment) is empty.
    static bool UsesOnlyEmpty(std::string_view titleTemplate, std::string_view artist,
                              std::string_view title, std::string_view album,
                              std::string_view comment);
    // Without blanks (space, tab, line ends) at either end.
    static std::string_view Trim(std::string_view text);

private:
    static void ReplaceAll(std::string& text, std::string_view token, std::string_view value);
};
