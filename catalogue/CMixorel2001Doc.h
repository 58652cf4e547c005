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
#include "IDocumentView.h"
#include "IUserPrompt.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CArchiveWriter;
class CProcessListThread;
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
// Still to come: the loop driver and scheduler hooks, SetSongAt, swaps and moves,
// EditSongLocation, the close and lock decisions, randomize, sort, the song clipboard and the
// played-songs list, the region bookkeeping of the scheduler, and the playlists-bar refresh of the
// notify-bar flag.
class CMixorel2001Doc {
public:
    using DuplicateAnswer = IUserPrompt::DuplicateAnswer;
    // InsertSongAt: -1 inserts at the head, kAfterLast after the last line.
    static constexpr int kAfterLast = -2;
    static constexpr std::chrono::milliseconds kProcessLockWait{1000};
    static constexpr const char* kDuplicateText = "Item already in the list, add it anyway?";
    static constexpr const char* kLockedText = "List locked. Operation unavailable.";

    explicit CMixorel2001Doc(IUserPrompt* prompt = nullptr);
    ~CMixorel2001Doc();
    CMixorel2001Doc(const CMixorel2001Doc&) = delete;
    CMixorel2001Doc& operator=(const CMixorel2001Doc&) = delete;

    // The document lock, for callers that run several operations as one.
    std::recursive_timed_mutex& GetMutex() const { return m_mutex; }

    void SetPrompt(IUserPrompt* prompt);
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
    int GetCount() const;

    // Sets the mark on a line and clears it from the line that held it before; marks
    // other than 0 are held by at most one line.
    void MarkSong(int index, std::int32_t mark);
    void ClearMark(std::int32_t mark);
    // The line holding a mark, or -1.
    int FindMark(std::int32_t mark) const;

    // Asks the song data dialog and inserts the new line after `selected` (-1: the head).
    bool AddSongLocation(int selected);

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
    // Any thread (the view): the range of lines to serve first; false when no thread runs
    // or the range lock was busy.
    bool SetProcessRange(int first, int last);
    // Where the title template ("id3tags") comes from; none: titles are file names.
    void SetSharedSettings(const CSharedSettings* settings);
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
    // Processing thread helpers; TellProcessThread runs with the document lock held.
    void TellProcessThread();
    std::string GetTitleTemplate() const;
    void StoreFacts(CSong& song, int index, const SongFileFacts& facts,
                    const std::string& titleTemplate);

    mutable std::recursive_timed_mutex m_mutex;
    mutable std::mutex m_posMutex;
    IUserPrompt* m_pPrompt = nullptr;
    std::vector<IDocumentView*> m_views;

    CSongList m_songs;
    CProcessingQueue m_queue;
    std::vector<std::string> m_regions;
    std::map<std::int32_t, std::string> m_markHolders;

    int m_nLoopPos = -1;
    int m_nSchedulePos = -1;
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

    // The processing thread object and its thread, under the document lock; created and
    // dropped by the user-interface thread only.
    std::unique_ptr<CProcessListThread> m_pProcessThread;
    std::thread m_processThread;
    const CSharedSettings* m_pSettings = nullptr;

public:
    // ---- Reprocessing ----
    // Reads the audio information and tags of songs again: the selected lines when more
    // than one is selected, else every line. Each song's time leaves the total, its
    // information and tag block are cleared and it is queued for the processing thread.
    // Region lines have no file and are left alone. Marks the document modified.
    bool Reprocess(const std::vector<std::string>& selectedIds);
    // Every song whose location holds "D:\" or "d:\" is pointed at folder + its file
    // name and queued as by Reprocess. Answers the number of songs moved.
    int SetSourceFolder(const std::string& folder);

private:
    void RequeueSong(CSong& song);
};
