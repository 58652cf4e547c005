#pragma once

#include "Id3v1Tag.h"
#include "Id3v2Fields.h"
#include "MpegFileInfo.h"
#include "TagLibFile.h"

#include <string>

class PosixFile;

// Everything the program reads from one music file, in one pass over it: the frame
// reader's facts, the ID3v2 fields and the ID3v1 tag. The head of the file is read once
// and serves the ID3v2 parser, the frame scan and (for small files) the ID3v1 tail.
struct SongFileFacts {
    int mpegResult = MpegFileInfo::kNoFrame;
    MpegFileInfo info;
    int id3v2Result = 1;
    Id3v2Fields fields;
    // The ID3v1 tag at the end of the file, parsed whether or not a frame was found.
    bool hasId3v1 = false;
    Id3v1Tag id3v1;
    // The file's length and creation time (seconds since 1970) when it could be opened,
    // so the song record need not ask the file system again.
    bool hasFileFacts = false;
    std::int64_t fileSize = 0;
    std::int64_t createdSeconds = 0;
    // A file of another format (FLAC, Ogg, Opus, M4A, WMA, or a WAV file without MPEG
    // audio) read by TagLib: its facts are in tagLib, and the MPEG and ID3 members above
    // stay empty except info.fileName and info.fileSize.
    bool fromTagLib = false;
    TagLibFacts tagLib;
    // ReadOpen was given a folder.
    bool isFolder = false;
};

class SongFileReader {
public:
    static SongFileFacts Read(const std::string& path);
    // The same for the entry name of the folder open as folderFd (AT_FDCWD: name is a
    // path); path, the folder's path with the name, is what info.fileName records.
    static SongFileFacts ReadIn(int folderFd, const char* name, const std::string& path);
    // The same on a file the caller opened for reading. A folder is not read: its facts
    // say isFolder, and the caller may walk it.
    static SongFileFacts ReadOpen(const PosixFile& file, const std::string& path);
};
