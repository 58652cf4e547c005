#pragma once

// Threads: the document starts its processing thread (CProcessListThread) and stops it
// from the user-interface thread. Any thread may call the document; every operation
// takes the document lock (m_mutex, re-entrant, timed). The loop and schedule positions
// have their own lock (m_posMutex), always taken after the document lock when both are
// held. The processing thread's own locks come after the document lock too (SetProcessed
// wakes the thread with the document lock held). Views and the duplicate question are
// called with the document lock held. Song files are read without the document lock.

#include "CDateTime.h"
#include "CProcessingQueue.h"
#include "CSong.h"
#include "CSongList.h"
#include "IDocumentHost.h"
#include "IDocumentView.h"
#include "ILoopRunner.h"
#include "IPlayerLink.h"
#include "ISongClipboard.h"
#include "IUserPrompt.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CArchiveWriter;
class CProcessListThread;
class CSettings;
class CSharedSettings;
struct SongFileFacts;
struct CPlaylistContent;

// One open playlist: its lines (CSong records) with identity and location indexes, the
// processing queue, the region list, the loop and schedule positions, the totals, the
// alarm, the lock flags and the modified marker. It loads and stores itself as a .qmx
// file through CPlaylistFile. Lines are kept by CSongList (vector plus identity and
// location indexes; see there why whole-list work stays linear). Operations wait for the
// document lock without limit; the processing step waits at most kProcessLockWait.
//
class CMixorel2001Doc {
public:
    using DuplicateAnswer = IUserPrompt::DuplicateAnswer;
    // InsertSongAt: -1 inserts at the head, kAfterLast after the last line.
    static constexpr int kAfterLast = -2;
    static constexpr std::chrono::milliseconds kProcessLockWait{1000};
    static constexpr const char* kDuplicateText = "Item already in the list, add it anyway?";
    static constexpr const char* kLockedText = "List locked. Operation unavailable.";
    static constexpr const char* kScheduleOnText =
        "Please turn off the schedule before closing the playlist.";
    static constexpr const char* kCloseLoopingText =
        "Are you sure you want to close the looping list?";
    static constexpr const char* kQuickCloseLoopingText =
        "Are you sure you want to close the list?\n\nList is currently looping. Contents will "
        "not be saved.";
    static constexpr const char* kLoopingCommandsText =
        "The player commands will not be locked for the looping list.";
    static constexpr const char* kKeepOriginalText = "Keep original list open after randomize?";
    static constexpr const char* kRandomizeLoopingText =
        "Are you sure you want to randomize the looping list?\n\nIt will destroy list order if "
        "you randomize it.";
    static constexpr const char* kSortLoopingText =
        "Are you sure you want to sort the looping list?\n\nIt will destroy current song order "
        "if you sort it.";
    static constexpr const char* kEmptyPlayedText =
        "Are you sure you want to empty the list of the played songs?";
    static constexpr const char* kPlayedTitle = "Played music";

    explicit CMixorel2001Doc(IUserPrompt* prompt = nullptr);
    ~CMixorel2001Doc();
    CMixorel2001Doc(const CMixorel2001Doc&) = delete;
    CMixorel2001Doc& operator=(const CMixorel2001Doc&) = delete;

    // The document lock, for callers that run several operations as one.
    std::recursive_timed_mutex& GetMutex() const { return m_mutex; }

    void SetPrompt(IUserPrompt* prompt);
    void SetHost(IDocumentHost* host);
    void SetClipboard(ISongClipboard* clipboard);
    void AddView(IDocumentView* view);
    void RemoveView(IDocumentView* view);
    // Redraw one line, or all for -1, in every view.
    void UpdateViews(int line) const;
    void ScrollViews(int line) const;

    // Inserts a copy of source after line `after` (at the head for a negative value).
    // Answers false when nothing was inserted (duplicate declined).
    bool InsertSong(std::int64_t after, const CSong& source, DuplicateAnswer& answer,
                    std::string* newId = nullptr);
    // As InsertSong after the line at index; -1 at the head, kAfterLast after the last.
    bool InsertSongAt(int index, const CSong& source, DuplicateAnswer& answer,
                      std::string* newId = nullptr);
    // Removes the records with those identities (unknown ones are skipped). With a flag
    // set the loop (schedule) position follows: it stays on its song, and when that line
    // itself goes, on the same index (0 past the end, -1 for an empty list). Refused with
    // a message while locked.
    bool RemoveSongs(const std::vector<std::string>& ids, bool followLoop = true,
                     bool followSchedule = true);
    void SetProcessed(CSong& song, bool processed);
    // The record with that identity (nullptr when absent) and its line.
    CSong* FindById(const std::string& id, int* index = nullptr) const;
    // The line of a record of this list, or -1.
    int IndexOf(const CSong* song) const;
    bool Contains(const std::string& location) const;
    CSong* GetSongAt(int index) const;
    // Puts a copy of record (its identity included) in place of the line's record; the
    // line keeps its mark. The totals, indexes, processing queue and region list follow
    // the new record. False for a line outside the list or an identity held by another
    // line.
    bool SetSongAt(int index, const CSong& record);
    int GetCount() const;

    // Sets the mark on a line and clears it from the line that held it before; marks
    // other than 0 are held by at most one line.
    void MarkSong(int index, std::int32_t mark);
    void ClearMark(std::int32_t mark);
    // The line holding a mark, or -1.
    int FindMark(std::int32_t mark) const;

    // Asks the song data dialog and inserts the new line after `selected` (-1: the head).
    bool AddSongLocation(int selected);
    // Asks the song data dialog for the line and gives it the new title and location; the
    // song counts as processed without audio information until it is reprocessed.
    bool EditSongLocation(int index);

    // ---- Swaps and moves ----
    // Exchanges the records of two lines; positions stay on their lines.
    bool SwapLines(int a, int b);
    // Exchange a line with its neighbour. The loop position advances by one (wrapping)
    // when it is on either of the two lines, or goes back by one when a region line moves
    // up from it.
    bool MoveUp(int index);
    bool MoveDown(int index);
    // Take a line out and put it at the head or after the last line; positions stay on
    // their songs.
    bool MoveToTop(int index);
    bool MoveToBottom(int index);

    // Loads a playlist file's content in place of the current list.
    void Serialize(const CPlaylistContent& content);
    // Stores the whole file.
    void Serialize(CArchiveWriter& ar) const;
    // Open and save by path; answer a CPlaylistFile result code.
    int OnOpenDocument(const std::string& path);
    int OnSaveDocument(const std::string& path);
    void DeleteContents();

    std::uint32_t GetTotalTime() const;
    double GetTotalSize() const;
    std::vector<std::string> GetRegionList() const;
    std::vector<std::string> GetProcessingQueue() const;

    int GetLoopPos() const;
    void SetLoopPos(int pos);
    int GetSchedulePos() const;
    void SetSchedulePos(int pos);

    CDateTime GetAlarm() const;
    void SetAlarm(const CDateTime& alarm);
    bool IsLocked() const;
    bool IsPlayerCommandsDisabled() const;
    void SetLocked(bool locked, bool playerCommandsDisabled);
    bool IsRemovePlayed() const;
    void SetRemovePlayed(bool removePlayed);
    bool IsNotifyBar() const;
    void SetNotifyBar(bool notify);

    // ---- Processing thread ----
    static constexpr std::chrono::milliseconds kProcessStopWait{5000};
    // User-interface thread: starts the processing thread unless one exists (songs already
    // queued are served at once). Without idlePriority it keeps the normal priority.
    // False when the thread could not be started.
    bool CreateProcessThread(bool idlePriority = true);
    // User-interface thread: wakes the thread, tells it to end and waits at most
    // kProcessStopWait. True when it ended (or none ran); false on a time-out, when the
    // thread is kept.
    bool StopProcessThread();
    bool HasProcessThread() const;
    // Starts the processing thread's body; throws std::system_error when no thread can be
    // made, as std::thread does. Tests replace it to make the start fail.
    using ThreadLauncher = std::function<std::thread(std::function<void()>)>;
    void SetThreadLauncher(ThreadLauncher launcher);
    // Any thread (the view): the range of lines to serve first; false when no thread runs
    // or the range lock was busy.
    bool SetProcessRange(int first, int last);
    // Where the title template ("id3tags") comes from; none: titles are file names.
    void SetSharedSettings(CSharedSettings* settings);
    // Processing thread (or any thread that does not hold the document lock, since the
    // file is read without it): reads the file of the song with that identity and stores
    // its facts. False when the song is unknown or the lock was not had in time (the
    // song stays queued).
    bool ProcessSong(const std::string& id);
    // As ProcessSong for the line at index when it still lacks its facts.
    bool ProcessSongAt(int index);
    // As ProcessSong for the first queued song; false when the queue is empty.
    bool ProcessNextQueued();

    // ---- Rearranging lines ----
    // Puts every line in a new order at once: line i receives the record that was at line
    // order[i]. False (nothing changes) unless order is a permutation of all the lines
    // that leaves every region line in its place. Marks travel with their records and the
    // loop and schedule positions stay on their songs. The document is marked modified and
    // every view redraws.
    bool RearrangeLines(const std::vector<std::size_t>& order);

    // ---- Randomize and sort ----
    // The Randomize command: the "closerandomized" setting (1 ask, 2 in place, 3 a copy).
    bool Randomize();
    // Shuffles every section, asking first (when ask is set) if the list loops.
    bool ShuffleInPlace(bool ask = true);
    // A new playlist "Rnd <title>" holding a shuffled copy; this one stays as it was.
    CMixorel2001Doc* RandomizeToNew();
    // Shuffles the songs of one region only.
    bool ShuffleRegion(const std::string& regionId, bool ask);
    // Sorts every section by a criterion (0 title, 1 duration, 2 bitrate, 3 file date).
    bool Sort(int criterion, bool ascending);
    // The sort commands of the view: refused while locked, asking first if the list loops.
    bool SortCommand(int criterion, bool ascending);

    // ---- Song clipboard ----
    // Places the records still in the list on the clipboard, with their file list (always
    // offered as a copy); a cut then removes them. False when none of them is left.
    bool CopySongs(const std::vector<std::string>& ids, bool cut, bool drag);
    // Inserts the clipboard's songs after line `after` (-1 the head, kAfterLast the end) in
    // clipboard order, collecting their new identities; a cancel stops the paste. taken
    // collects, in the same order, the places in the clipboard's block of the songs that
    // went in (a drag's source removes exactly those when the drag is a move).
    bool PasteSongs(int after, std::vector<std::string>* newIds, bool drag, DuplicateAnswer& answer,
                    std::vector<std::size_t>* taken = nullptr);
    bool CopyFilesForExplorer(const std::vector<std::string>& ids, bool addToClipboard);

    // ---- Played songs (process-wide) ----
    static bool AddPlayed(const CSong& song);
    static bool HasPlayed();
    // A new playlist "Played music" with the played songs in playing order.
    CMixorel2001Doc* ShowPlayed();
    bool EmptyPlayed(bool ask);

    // ---- Life cycle and closing ----
    static constexpr int kNoProcessThread = 100;
    enum CloseAnswer : int { kCloseRefused = 0, kCloseWithoutAsking, kCloseAskToSave };
    // A new, empty playlist: needs an active player; re-reads the settings, starts the
    // processing thread, prepares the player and clears the modified mark.
    bool OnNewDocument();
    // Opening a file as the window does: loaded, then as OnNewDocument without emptying.
    // A CPlaylistFile result, or kNoProcessThread when the thread could not start (the
    // file is then not read).
    int OpenDocument(const std::string& path);
    // Stops the loop and the processing thread and releases the player before emptying.
    void OnCloseDocument();
    // The framework's save-modified step; kCloseAskToSave: ask whether to save.
    CloseAnswer SaveModified(bool quickClose);
    // The "&Close" command; kCloseAskToSave: the framework close goes on.
    CloseAnswer CloseCommand(bool quickClose);
    // Esc in the list: true when the window may close (without saving).
    bool QuickClose();
    // The lock dialog's answer; the player commands stay enabled for the looping list.
    void ApplyLock(bool locked, bool disablePlayerCommands);

    // ---- Looping (loop mode 0) and regions (scheduler mode 1) ----
    enum PlayMode : int { kLoopMode = 0, kScheduleMode = 1 };
    enum Mark : std::int32_t {
        kMarkLoopPlaying = 1,
        kMarkLoopNext = 2,
        kMarkSchedulePlaying = 4,
        kMarkScheduleNext = 5
    };
    static constexpr std::chrono::milliseconds kLoopStopWait{200};
    static constexpr const char* kPlayerMissingText =
        "WinAmp is not running. Did you specify the WinAmp path in the configuration?\n\nUse "
        "tools->options to setup the WinAmp path.";
    void SetPlayerLink(IPlayerLink* player);
    IPlayerLink* GetPlayerLink() const;
    void SetLoopFactory(ILoopRunnerFactory* factory);
    // The end of a loop with "stoploopatend" and the shut-down flag set asks it.
    static void SetShutdownRequest(IShutdownRequest* request);
    static void SetShutdownAtEnd(bool shutdown);
    static bool IsShutdownAtEnd();

    // The Loop command: a second press on the song that loops skips it; then the loop
    // starts again at index. Call without holding the document lock.
    bool StartLoopAt(int index, std::uint32_t token);
    // Stops this document's driver and the player, then starts a new driver.
    bool StartLoop(std::uint32_t token);
    // Asks this document's driver to end and waits for it in steps of 200 ms until it has
    // ended. Call without holding the document lock: the driver needs it to finish.
    void StopLoop();
    bool IsLooping() const;
    // The position of a mode, set to 0 when it lies outside the list.
    int GetPlayPosition(int mode);
    bool SetPlayPosition(int index, int mode);
    // The next line of a mode (the position, plus one with advance). Past the end: the
    // loop ends there with "stoploopatend" (asking for the shut-down when that is on),
    // otherwise the list wraps to 0; a region ends at the end of the list. False for an
    // empty list, the end of the loop or the end of a region.
    bool NextIndex(bool advance, int mode, int& index);
    // What became of the song at a play position.
    enum StartResult : int {
        kStartPlayed,     // it started
        kStartNothing,    // a region line, or no line there: nothing to start
        kStartUnplayable, // the player could not open it
        kStartNoPlayer    // no player to start it with (message 155)
    };
    // A song played by hand (not by the loop) whose file cannot be played; its path follows.
    static constexpr const char* kCannotPlayText = "This song cannot be played:\n\n";
    static constexpr const char* kNothingPlayableText =
        "None of the songs in the list could be played; looping stopped.";
    // Starts one song through the player link; a region line plays nothing. A song the
    // player cannot open is not started: no log line, no played entry, and the song that
    // plays goes on.
    bool PlaySong(int index, bool showMessages, bool afterLoop);
    // Plays the song at the mode's position and moves the position on; an unplayable
    // song is stepped over (the position moves past it and the answer stays true when
    // the next song could be marked). pResult tells what became of the song.
    bool PlayNext(int mode, StartResult* pResult = nullptr);
    // After the next start of the loop or a region (a Next given by the user), the views
    // bring the new next song into view once ("autoshowplaynextonskip").
    void ShowNextAfterNextStart();
    // True once the schedule position has run past the last line (with advance, once it
    // would); the region then ends.
    bool ScheduleReachedEnd(bool advance);
    // Tells the user that a whole pass over the list played nothing.
    void ShowNothingPlayable();
    // Marks the song at the mode's position as next; false when the loop has no next
    // song or the region has ended.
    bool MarkNext(int mode);
    bool HasPlayableSongs() const;
    // The region headers in list order with their indexes, for the scheduler.
    std::vector<std::pair<int, CDateTime>> GetRegionStarts() const;

    // ---- Reprocessing ----
    // Reads the audio information and tags of songs again: the selected lines when more
    // than one is selected, else every line. Each song's time leaves the total, its
    // information and tag block are cleared and it is queued for the processing thread.
    // Region lines have no file and are left alone. Marks the document modified.
    bool Reprocess(const std::vector<std::string>& selectedIds);
    // Every song whose location holds "D:\" or "d:\" is pointed at folder + its file
    // name and queued as by Reprocess. Answers the number of songs moved.
    int SetSourceFolder(const std::string& folder);

    // ---- Region commands ----
    static constexpr const char* kEmptyRegionNameText = "Empty name for a region not allowed";
    static constexpr const char* kRemoveAllRegionsText =
        "Are you sure you want to remove all regions?";
    // A region header line: name, start (null for none) and its colours.
    static CSong MakeRegionHeader(const std::string& name, const CDateTime& start,
                                  std::uint32_t crBack, std::uint32_t crText);
    // "&Add...": inserts the header after the selected line (-1: at the head); refused
    // while locked or for an empty name.
    bool AddRegion(int selected, const CSong& header, std::string* newId = nullptr);
    // "Ed&it...": the header takes the dialog's name, start and colours.
    bool EditRegion(const std::string& id, const std::string& name, const CDateTime& start,
                    std::uint32_t crBack, std::uint32_t crText);
    // "Remove a&ll": asks first (when ask is set and the list has regions), then takes
    // every header line out; the songs stay.
    bool RemoveAllRegions(bool ask);

    // "&Save": the modified mark goes first, so neither the title nor the proposed file
    // name carries it; a failed save of a modified playlist marks it modified again.
    int SaveCommand(const std::string& path);

    // ---- Worker state told to the document ----
    // The scheduler reports whether it runs for this document; a folder import reports
    // while it runs.
    bool IsScheduled() const;
    void SetScheduled(bool scheduled);
    bool IsImportRunning() const;
    void SetImportRunning(bool running);

    bool IsModified() const;
    // Marks or clears; on a real change the title follows the modified-marker rule.
    void SetModifiedFlag(bool modified = true);
    std::string GetTitle() const;
    void SetTitle(const std::string& title);

private:
    using Lock = std::unique_lock<std::recursive_timed_mutex>;

    void IndexNewSong(CSong& song, std::size_t index);
    void ShiftPositionsForInsert(std::size_t index);
    void ShiftPositionsForRemove(const std::vector<bool>& flags, std::size_t removed,
                                 bool followLoop, bool followSchedule);
    void ForgetSong(const CSong& song);
    void RebuildRegionList();
    static int FollowRemove(int pos, const std::vector<bool>& flags, std::size_t count);
    static std::string TitleFor(const std::string& title, bool modified);
    void Load(CPlaylistContent&& content);
    void TakeFileState(const CPlaylistContent& content);
    bool RefuseWhenLocked() const;
    bool AskYes(const std::string& text) const;
    void FollowMoveUp(int moved, bool regionMoved);
    bool MoveLine(int index, bool toTop);
    std::vector<const CSong*> FindSongs(const std::vector<std::string>& ids) const;
    int InsertBlock(std::size_t index, std::vector<CSong>& songs, std::vector<std::string>* newIds,
                    DuplicateAnswer& answer, std::vector<std::size_t>* taken = nullptr);
    bool AcceptDuplicate(const CSong& song, DuplicateAnswer& answer) const;
    CMixorel2001Doc* NewDocumentFor(const std::string& title) const;
    void StartWorking();
    void RequeueSong(CSong& song);
    void EndLoopDriver();
    void EndWorkers();
    // PlaySong's steps; bOk is PlaySong's answer.
    StartResult StartSong(int index, bool showMessages, bool afterLoop, bool& bOk);
    bool RemoveLines(const std::vector<std::string>& ids, bool followLoop, bool followSchedule);
    CSettings GetSettings() const;
    static void ShowMessage(IUserPrompt* prompt, const char* text);
    // Processing thread helpers; TellProcessThread runs with the document lock held.
    void TellProcessThread();
    std::string GetTitleTemplate() const;
    void StoreFacts(CSong& song, int index, const SongFileFacts& facts,
                    const std::string& titleTemplate);

    mutable std::recursive_timed_mutex m_mutex;
    mutable std::mutex m_posMutex;
    IUserPrompt* m_pPrompt = nullptr;
    IDocumentHost* m_pHost = nullptr;
    ISongClipboard* m_pClipboard = nullptr;
    std::vector<IDocumentView*> m_views;

    CSongList m_songs;
    CProcessingQueue m_queue;
    std::vector<std::string> m_regions;
    std::map<std::int32_t, std::string> m_markHolders;

    int m_nLoopPos = -1;
    int m_nSchedulePos = -1;
    // A region's last song was the last line: the region ends there instead of going on
    // at the top of the list, and the loop takes over again.
    bool m_bScheduleAtEnd = false;
    std::atomic<bool> m_bShowNextOnce{false};
    std::uint32_t m_nTotalTime = 0;
    double m_dTotalSize = 0.0;
    CDateTime m_dtAlarm = CDateTime::Null();
    std::string m_strLastImportFolder;
    std::string m_strTitle;
    bool m_bRemovePlayed = false;
    bool m_bNotifyBar = true;
    bool m_bLocked = false;
    bool m_bPlayerCommandsDisabled = false;
    bool m_bModified = false;
    IPlayerLink* m_pPlayer = nullptr;
    ILoopRunnerFactory* m_pLoopFactory = nullptr;
    std::unique_ptr<ILoopRunner> m_pLoopRunner;
    std::string m_strLastLoopId;
    bool m_bScheduled = false;
    bool m_bImportRunning = false;

    // The processing thread object and its thread, under the document lock; created and
    // dropped by the user-interface thread only.
    std::unique_ptr<CProcessListThread> m_pProcessThread;
    std::thread m_processThread;
    ThreadLauncher m_launchThread;
    CSharedSettings* m_pSettings = nullptr;
};
