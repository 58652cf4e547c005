#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Every section and key name of the settings store, with the defaults their readers
// pass. Names compare without case in the store; they are written here in the case the
// store uses on disk.
namespace SettingsKeys {

// Sections of the settings record, in the order CSettings::Save writes them.
inline constexpr std::string_view kSectionGlobal = "global";
inline constexpr std::string_view kSectionWinamp = "winamp";
inline constexpr std::string_view kSectionList = "list";
inline constexpr std::string_view kSectionColors = "colors";
inline constexpr std::string_view kSectionFonts = "fonts";
inline constexpr std::string_view kSectionInternal = "internal";
inline constexpr std::string_view kSectionMisc = "misc";
inline constexpr std::string_view kSectionOnairix = "onairix";

// "global"
inline constexpr std::string_view kEmptyLastProject = "emptylastproject";
inline constexpr std::string_view kFileExtensions = "fileextensions";
inline constexpr std::string_view kLoadLastUsed = "loadlastused";
inline constexpr std::string_view kMaximizeChild = "maximizechild";
inline constexpr std::string_view kStartWinamp = "startwinamp";
inline constexpr std::string_view kNewFileAtStart = "newfileatstart";
inline constexpr std::string_view kMinimizeToTray = "minimizetotray";
inline constexpr std::string_view kUseWinamp = "usewinamp";
inline constexpr std::string_view kAutoSaveOnExit = "autosaveonexit";
inline constexpr std::string_view kRearrangeOnNew = "rearrangeonnew";
inline constexpr std::string_view kCloseWinamp = "closewinamp";
// "winamp"
inline constexpr std::string_view kWinampPath = "winamppath";
// "list"
inline constexpr std::string_view kCloseRandomized = "closerandomized";
inline constexpr std::string_view kAutoBackup = "autobackup";
inline constexpr std::string_view kAutoBackupMinutes = "autobackupminutes";
inline constexpr std::string_view kId3Tags = "id3tags";
inline constexpr std::string_view kFastMoveUp = "fastmoveup";
inline constexpr std::string_view kFastMoveDown = "fastmovedown";
// "colors"
inline constexpr std::string_view kNextToPlayFg = "nexttoplayfg";
inline constexpr std::string_view kNextToPlayBk = "nexttoplaybk";
inline constexpr std::string_view kLoopFg = "loopfg";
inline constexpr std::string_view kLoopBk = "loopbk";
inline constexpr std::string_view kScheduleFg = "schedulefg";
inline constexpr std::string_view kScheduleBk = "schedulebk";
inline constexpr std::string_view kNextToScheduleFg = "nexttoschedulefg";
inline constexpr std::string_view kNextToScheduleBk = "nexttoschedulebk";
// "fonts"
inline constexpr std::string_view kListOfPlaylistsIcon = "listofplaylistsicon";
inline constexpr std::string_view kListViewFontName = "listviewfontname";
inline constexpr std::string_view kListViewFontSize = "listviewfontsize";
// "internal"
inline constexpr std::string_view kMixSeconds = "mixseconds";
inline constexpr std::string_view kUseMixer = "usemixer";
inline constexpr std::string_view kMixSpeed = "mixspeed";
inline constexpr std::string_view kMixType = "mixtype";
inline constexpr std::string_view kFitFades = "fitfades";
// Mix at the songs' analysed cue points instead of "mixseconds" before the file's end.
inline constexpr std::string_view kAutoMixPoints = "automixpoints";
// Play every song at the same loudness, "targetlufs" (-23 to -14 LUFS).
inline constexpr std::string_view kNormalize = "normalize";
inline constexpr std::string_view kTargetLufs = "targetlufs";
// The number of background analysis workers (1, or 2 on request); not on a page.
inline constexpr std::string_view kAnalysisWorkers = "analysisworkers";
// "misc"
inline constexpr std::string_view kAutoShowPlayNext = "autoshowplaynext";
inline constexpr std::string_view kAutoShowPlayNextOnSkip = "autoshowplaynextonskip";
inline constexpr std::string_view kShowAlertAfterSetNext = "showalertaftersetnext";
inline constexpr std::string_view kNoPlaylistTooltips = "noplaylisttooltips";
inline constexpr std::string_view kStopLoopAtEnd = "stoploopatend";
inline constexpr std::string_view kAskShutdownPc = "askshutdownpc";
// A desktop notification naming each song that starts (off unless asked for).
inline constexpr std::string_view kNotifySongStart = "notifysongstart";
// "onairix"
inline constexpr std::string_view kKeepOnairixLog = "keeponairixlog";
inline constexpr std::string_view kLogPath = "logpath";

// Keys outside the settings record, read and written by the parts that own them.

// Main-window placement.
inline constexpr std::string_view kSectionPosition = "position";
inline constexpr std::string_view kPositionX = "x";
inline constexpr std::string_view kPositionY = "y";
inline constexpr std::string_view kPositionWidth = "width";
inline constexpr std::string_view kPositionHeight = "height";
inline constexpr std::string_view kPositionCmdShow = "cmdshow";
inline constexpr std::string_view kPositionFlags = "flags";

// First-run detection reads "winamppath" of "winamp" with this default; the marker comes
// back only while the settings record has never been saved.
inline constexpr std::string_view kFirstRunMarker = "yesthisisfirstrun";

// Saved regions: "name%d", "textcolor%d", "backcolor%d" from index 0, at most 20.
inline constexpr std::string_view kSectionRegions = "regions";
inline constexpr std::string_view kRegionName = "name";
inline constexpr std::string_view kRegionTextColor = "textcolor";
inline constexpr std::string_view kRegionBackColor = "backcolor";
inline constexpr int kMaxRegions = 20;

// Playlist column layout: "Col%d" (column shown at position i), "Size%d" (width of
// column i); -1 (or any negative value) means not stored.
inline constexpr std::string_view kSectionPlaylistView = "playlistview";
inline constexpr std::string_view kColumnOrder = "Col";
inline constexpr std::string_view kColumnSize = "Size";

// Recent albums: keys "1" to "4", shown abbreviated to at most 200 characters.
inline constexpr std::string_view kSectionProjectMru = "projectmru";
inline constexpr int kProjectMruEntries = 4;
inline constexpr int kProjectMruDisplayLength = 200;

// Recent playlists, the framework's own list: keys "file1" to "file4", shown like the
// recent albums.
inline constexpr std::string_view kSectionRecentFiles = "recent file list";
inline constexpr std::string_view kRecentFileKeyPrefix = "file";
inline constexpr int kRecentFileEntries = 4;

// Docking-bar layout, and the sizes of each resizable bar in the section formed by
// "%s-SCBar-%d" from the same bar-state profile name and the bar's control identifier.
inline constexpr std::string_view kBarStateProfile = "qmx2001barstate";
inline constexpr std::string_view kBarSizeProfile = kBarStateProfile;
inline constexpr std::string_view kBarSizeHorzCX = "sizeHorzCX";
inline constexpr std::string_view kBarSizeHorzCY = "sizeHorzCY";
inline constexpr std::string_view kBarSizeVertCX = "sizeVertCX";
inline constexpr std::string_view kBarSizeVertCY = "sizeVertCY";
inline constexpr std::string_view kBarSizeFloatCX = "sizeFloatCX";
inline constexpr std::string_view kBarSizeFloatCY = "sizeFloatCY";

// Broadcasting: the Icecast server, the stream's encoder and the show's recording. The
// source password is kept in the desktop's keyring, never here.
inline constexpr std::string_view kSectionBroadcast = "broadcast";
inline constexpr std::string_view kBroadcastHost = "host";
inline constexpr std::string_view kBroadcastPort = "port";
inline constexpr std::string_view kBroadcastMount = "mount";
inline constexpr std::string_view kBroadcastUser = "user";
inline constexpr std::string_view kBroadcastStreamName = "streamname";
inline constexpr std::string_view kBroadcastGenre = "genre";
inline constexpr std::string_view kBroadcastFormat = "format";
inline constexpr std::string_view kBroadcastBitrate = "bitrate";
inline constexpr std::string_view kBroadcastStream = "stream";
inline constexpr std::string_view kBroadcastRecord = "record";
inline constexpr std::string_view kBroadcastRecordFormat = "recordformat";
inline constexpr std::string_view kBroadcastRecordSplit = "recordsplit";
inline constexpr std::string_view kBroadcastRecordFolder = "recordfolder";

// Custom colours of the colour picker buttons (byte blocks).
inline constexpr std::string_view kSectionColorData = "ColorData";
inline constexpr std::string_view kColorTable = "ColorTable";
inline constexpr std::string_view kColorMru = "MRU";

// A key of the form prefix + decimal index ("name3", "Col0", "1").
std::string Indexed(std::string_view prefix, int index);
// The section of one resizable bar: "<profile>-SCBar-<id>".
std::string BarSizeSection(std::string_view profile, int controlId);

} // namespace SettingsKeys

// The defaults readers pass for the keys above.
namespace SettingsDefaults {

// System colour indices used as defaults (see ISystemColours.h).
inline constexpr int kSysColourDesktop = 1;
inline constexpr int kSysColourWindow = 5;
inline constexpr int kSysColourWindowText = 8;
inline constexpr int kSysColourButtonHighlight = 20;

inline constexpr std::int32_t kEmptyLastProject = 1;
inline constexpr std::string_view kFileExtensions = "mp3;mp2;wma;wav;flac;ogg;oga;opus;m4a";
// A record that was never loaded holds this order instead.
inline constexpr std::string_view kFreshFileExtensions = "mp3;mp2;wav;wma;flac;ogg;oga;opus;m4a";
inline constexpr std::int32_t kLoadLastUsed = 1;
inline constexpr std::int32_t kMaximizeChild = 1;
inline constexpr std::int32_t kStartWinamp = 1;
inline constexpr std::int32_t kNewFileAtStart = 1;
inline constexpr std::int32_t kMinimizeToTray = 0;
inline constexpr std::int32_t kUseWinamp = 0;
inline constexpr std::int32_t kAutoSaveOnExit = 0;
inline constexpr std::int32_t kRearrangeOnNew = 0;
inline constexpr std::int32_t kCloseWinamp = 1;
inline constexpr std::string_view kWinampPath = "";
inline constexpr std::int32_t kCloseRandomized = 2;
inline constexpr std::int32_t kAutoBackup = 1;
inline constexpr std::int32_t kAutoBackupMinutes = 5;
inline constexpr std::string_view kId3Tags = "%3 - %4";
inline constexpr std::int32_t kFastMoveUp = 5;
inline constexpr std::int32_t kFastMoveDown = 5;
// White on teal: the desktop palette's highlight would make the next song look selected.
inline constexpr std::uint32_t kNextToPlayFg = 0xFFFFFF;
inline constexpr std::uint32_t kNextToPlayBk = 0x808000;
inline constexpr std::uint32_t kLoopFg = 0x000000;
inline constexpr std::uint32_t kLoopBk = 0xF0FBFF;
inline constexpr std::uint32_t kScheduleFg = 0x000000;
inline constexpr std::uint32_t kScheduleBk = 0xA0ABAF;
inline constexpr int kNextToScheduleFgSysColour = kSysColourButtonHighlight;
inline constexpr int kNextToScheduleBkSysColour = kSysColourDesktop;
inline constexpr std::int32_t kListOfPlaylistsIcon = 1;
inline constexpr std::string_view kListViewFontName = "Microsoft Sans Serif";
inline constexpr std::int32_t kListViewFontSize = 90;
inline constexpr std::int32_t kMixSeconds = 5;
inline constexpr std::int32_t kUseMixer = 1;
inline constexpr std::int32_t kMixSpeed = 10;
inline constexpr std::int32_t kMixType = 0;
inline constexpr std::int32_t kFitFades = 1;
inline constexpr std::int32_t kAutoMixPoints = 1;
inline constexpr std::int32_t kNormalize = 1;
inline constexpr std::int32_t kTargetLufs = -18;
inline constexpr std::int32_t kTargetLufsLowest = -23;
inline constexpr std::int32_t kTargetLufsHighest = -14;
inline constexpr std::int32_t kAnalysisWorkers = 1;
inline constexpr std::int32_t kAutoShowPlayNext = 0;
inline constexpr std::int32_t kAutoShowPlayNextOnSkip = 0;
inline constexpr std::int32_t kShowAlertAfterSetNext = 1;
inline constexpr std::int32_t kNoPlaylistTooltips = 0;
inline constexpr std::int32_t kStopLoopAtEnd = 0;
inline constexpr std::int32_t kAskShutdownPc = 1;
inline constexpr std::int32_t kNotifySongStart = 0;
inline constexpr std::int32_t kKeepOnairixLog = 0;
// The play log lies in the program folder under this name unless "logpath" says otherwise.
inline constexpr std::string_view kLogFileName = "onairix.log";

// Main-window placement.
inline constexpr std::int32_t kPositionX = 100;
inline constexpr std::int32_t kPositionY = 100;
inline constexpr std::int32_t kPositionWidth = 543;
inline constexpr std::int32_t kPositionHeight = 561;
inline constexpr std::int32_t kPositionCmdShow = 5; // show normally
inline constexpr std::int32_t kPositionFlags = 0;

// Saved regions' colours.
inline constexpr int kRegionTextSysColour = kSysColourWindowText;
inline constexpr int kRegionBackSysColour = kSysColourWindow;

// Broadcasting.
inline constexpr std::string_view kBroadcastHost = "localhost";
inline constexpr std::int32_t kBroadcastPort = 8000;
inline constexpr std::string_view kBroadcastMount = "/mixorel";
inline constexpr std::string_view kBroadcastUser = "source";
inline constexpr std::string_view kBroadcastStreamName = "Mixorel";
inline constexpr std::string_view kBroadcastGenre = "";
inline constexpr std::int32_t kBroadcastFormat = 0;    // MP3
inline constexpr std::int32_t kBroadcastBitrate = 128; // kbit/s
inline constexpr std::int32_t kBroadcastStream = 1;
inline constexpr std::int32_t kBroadcastRecord = 0;
inline constexpr std::int32_t kBroadcastRecordFormat = 0;      // Ogg Vorbis
inline constexpr std::int32_t kBroadcastRecordSplit = 0;       // one file per hour
inline constexpr std::string_view kBroadcastRecordFolder = ""; // the music folder

// Column layout: the value of a "Col%d"/"Size%d" that is not stored.
inline constexpr std::int32_t kColumnNotStored = -1;

} // namespace SettingsDefaults
