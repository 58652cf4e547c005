// The list's commands: which are enabled, running them, and the transport ones that reach
// other lists (next to the playing list, loop stop, set as next or as the last).

#include "ui/playlist/CMixorel2001View.h"

#include "catalogue/CLoopState.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CSong.h"
#include "playback/CPlayer.h"
#include "playback/CScheduleListThread.h"
#include "ui/playlist/CChildFrame.h"
#include "ui/prompts/IShellPrompt.h"
#include "ui/shell/CMainFrame.h"
#include "ui/shell/COpenPlaylist.h"

#include <mutex>

namespace {

using Rules = CPlaylistViewRules;

} // namespace

CPlayer* CMixorel2001View::GetPlayer() {
    return m_main.GetActivePlayer();
}

CPlaylistViewRules::TransportFacts CMixorel2001View::GetFacts(int mark) {
    CMixorel2001Doc& doc = GetDoc();
    Rules::TransportFacts facts;
    facts.bCommandsDisabled = doc.IsPlayerCommandsDisabled();
    facts.bRegionPlaying = CScheduleListThread::IsRegionPlaying();
    facts.bHasSelection = mark >= 0;
    facts.bEmpty = doc.GetCount() == 0;
    CPlayer* player = GetPlayer();
    facts.bPlayerActive = player != nullptr && player->IsActive(true);
    facts.bLoopStopFlag = CLoopState::s_bStop;
    facts.bLoops = doc.IsLooping();
    facts.bScheduled = CScheduleListThread::IsScheduled(&doc) && facts.bRegionPlaying;
    return facts;
}

bool CMixorel2001View::IsCommandEnabled(int command) {
    const int mark = GetSelectionMark();
    return IsCommandEnabled(command, GetFacts(mark), mark);
}

bool CMixorel2001View::IsCommandEnabled(int command, const Rules::TransportFacts& facts, int mark) {
    const int lines = GetDoc().GetCount();
    const auto songAtMark = [this, mark] {
        std::lock_guard lock(GetDoc().GetMutex());
        const CSong* song = GetDoc().GetSongAt(mark);
        return song != nullptr && !song->IsRegion();
    };
    switch (command) {
    case kPlay:
        return Rules::IsEnabled(Rules::kPlay, facts);
    case kLoop:
        return Rules::IsEnabled(Rules::kLoop, facts);
    case kPause:
        return Rules::IsEnabled(Rules::kPause, facts);
    case kStop:
        return Rules::IsEnabled(Rules::kStop, facts);
    case kFadeStop:
        return Rules::IsEnabled(Rules::kFadeStop, facts);
    case kNext:
    case kFadeNext:
        return Rules::IsEnabled(Rules::kNext, facts);
    case kLoopStop:
        return Rules::IsEnabled(Rules::kLoopStop, facts);
    case kSeek:
        return Rules::IsEnabled(Rules::kSeek, facts);
    case kSetNext:
    case kSetLast:
    case kSongTimer:
        return mark >= 0;
    case kMoveUp:
        return mark >= 1;
    case kMoveDown:
    case kMoveToBottom:
        return mark >= 0 && mark < lines - 1;
    case kMoveToTop:
        return mark >= 1;
    case kFastMoveDown:
        return Rules::CanFastMoveDown(mark, lines, m_main.GetSettings().m_nFastMoveDown);
    case kFastMoveUp:
        return Rules::CanFastMoveUp(mark, m_main.GetSettings().m_nFastMoveUp);
    case kDeleteFile:
    case kCopyFile:
    case kEditLocation:
        return mark >= 0 && songAtMark();
    case kPaste:
        return m_main.HasSongClipboardData();
    case kEditRegion:
        return mark >= 0 && !songAtMark();
    default:
        return true;
    }
}

bool CMixorel2001View::IsTransportCommand(int command) {
    switch (command) {
    case kPlay:
    case kStop:
    case kFadeStop:
    case kPause:
    case kNext:
    case kFadeNext:
    case kLoop:
    case kLoopStop:
    case kSetNext:
    case kSetLast:
        return true;
    default:
        return false;
    }
}

void CMixorel2001View::RunCommandOn(int command, const std::string& markId,
                                    const std::vector<std::string>& ids) {
    if (!IsTransportCommand(command)) {
        return;
    }
    // The other window's songs as they now stand in the list: its snapshot may hold
    // songs removed since.
    int mark = -1;
    std::vector<std::string> present;
    {
        std::lock_guard lock(GetDoc().GetMutex());
        if (!markId.empty() && GetDoc().FindById(markId, &mark) == nullptr) {
            mark = -1;
        }
        for (const std::string& id : ids) {
            if (GetDoc().FindById(id) != nullptr) {
                present.push_back(id);
            }
        }
    }
    RunTransportCommand(command, mark, present);
}

void CMixorel2001View::RunTransportCommand(int command, int mark,
                                           const std::vector<std::string>& ids) {
    if (!IsCommandEnabled(command, GetFacts(mark), mark)) {
        return;
    }
    CMixorel2001Doc& doc = GetDoc();
    CPlayer* player = GetPlayer();
    switch (command) {
    case kPlay:
        doc.PlaySong(mark < 0 ? 0 : mark, true, false);
        break;
    case kStop:
    case kFadeStop:
        LoopStop();
        doc.StopLoop();
        if (player != nullptr) {
            command == kStop ? player->Stop() : player->FadeStop();
        }
        break;
    case kPause:
        if (player != nullptr) {
            player->PauseResume();
        }
        break;
    case kNext:
    case kFadeNext:
        RouteNext(command);
        break;
    case kLoop:
        m_main.StartLoop(m_playlist, mark < 0 ? 0 : mark);
        if (auto* frame = m_main.FindFrame(m_playlist)) {
            frame->RefreshTitle();
        }
        break;
    case kLoopStop:
        LoopStop();
        break;
    case kSetNext:
    case kSetLast:
        PutIntoLoopingList(command == kSetNext, mark, ids);
        break;
    default:
        break;
    }
}

void CMixorel2001View::RunCommand(int command) {
    if (IsTransportCommand(command)) {
        const bool choice = command == kSetNext || command == kSetLast;
        RunTransportCommand(command, GetSelectionMark(),
                            choice ? GetSelectedIds() : std::vector<std::string>());
        return;
    }
    if (!IsCommandEnabled(command)) {
        return;
    }
    CMixorel2001Doc& doc = GetDoc();
    const int mark = GetSelectionMark();
    switch (command) {
    case kViewNext:
        if (doc.IsLooping() || CScheduleListThread::IsScheduled(&doc)) {
            SelectLine(doc.GetPlayPosition(doc.IsLooping() ? CMixorel2001Doc::kLoopMode
                                                           : CMixorel2001Doc::kScheduleMode));
        } else {
            m_main.ViewNextSong();
        }
        break;
    case kSeek:
        m_main.ToggleSeekPanel();
        break;
    case kSongTimer:
        ShowSongTimer();
        break;
    case kLock:
        ShowLockDialog();
        break;
    case kRemovePlayed:
        doc.SetRemovePlayed(!doc.IsRemovePlayed());
        if (CChildFrame* frame = m_main.FindFrame(m_playlist)) {
            frame->RefreshStatus(); // the bar's check box follows
        }
        break;
    case kMoveUp:
        if (doc.MoveUp(mark)) {
            SelectLine(mark - 1);
        }
        break;
    case kMoveDown:
        if (doc.MoveDown(mark)) {
            SelectLine(mark + 1);
        }
        break;
    case kMoveToTop:
        doc.MoveToTop(mark);
        break;
    case kMoveToBottom:
        doc.MoveToBottom(mark);
        break;
    case kFastMoveDown:
    case kFastMoveUp:
        FastMove(command == kFastMoveDown);
        break;
    case kDelete:
        DeleteSelection();
        break;
    case kDeleteFile:
        DeleteFile();
        break;
    case kCopyFile:
        CopyFile();
        break;
    case kCut:
        if (!RefuseWhenLocked()) {
            doc.CopySongs(GetSelectedIds(), true, false);
        }
        break;
    case kCopy:
        doc.CopySongs(GetSelectedIds(), false, false);
        break;
    case kPaste: {
        IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
        doc.PasteSongs(mark < 0 ? -1 : mark - 1, nullptr, false, answer);
        break;
    }
    case kCopyForExplorer:
        doc.CopyFilesForExplorer(GetSelectedIds(), false);
        break;
    case kAddLocation:
        doc.AddSongLocation(mark);
        break;
    case kEditLocation:
        doc.EditSongLocation(mark);
        break;
    case kSelectAll:
        selectAll();
        break;
    case kFindDialog:
        ShowFindDialog();
        break;
    case kAddRegion:
        AddRegion();
        break;
    case kEditRegion:
        EditRegionAt(mark);
        break;
    default:
        break;
    }
}

void CMixorel2001View::RouteNext(int command) {
    CChildFrame* scheduled = m_main.FindScheduledFrame();
    CChildFrame* looping = m_main.FindLoopingFrame();
    auto* target = static_cast<CChildFrame*>(const_cast<void*>(
        Rules::NextTarget(CScheduleListThread::IsRegionPlaying(), scheduled, looping)));
    if (target == nullptr) {
        return;
    }
    if (target->GetView() != this) {
        CMixorel2001View* other = target->GetView();
        QMetaObject::invokeMethod(
            other, [other, command] { other->RunCommand(command); }, Qt::QueuedConnection);
        return;
    }
    if (m_main.GetSettings().m_nAutoShowPlayNextOnSkip == 1) {
        GetDoc().ShowNextAfterNextStart();
    }
    if (CPlayer* player = GetPlayer()) {
        command == kNext ? player->Skip() : player->FadeSkip();
    }
}

void CMixorel2001View::LoopStop() {
    CMixorel2001Doc& doc = GetDoc();
    if (doc.IsLooping()) {
        doc.StopLoop();
        return;
    }
    if (CChildFrame* looping = m_main.FindLoopingFrame()) {
        CMixorel2001View* other = looping->GetView();
        if (other != this) {
            QMetaObject::invokeMethod(
                other, [other] { other->RunCommand(kLoopStop); }, Qt::QueuedConnection);
        }
    }
}

void CMixorel2001View::PutIntoLoopingList(bool next, int mark,
                                          const std::vector<std::string>& ids) {
    CMixorel2001Doc& doc = GetDoc();
    {
        std::lock_guard lock(doc.GetMutex());
        const CSong* song = doc.GetSongAt(mark);
        if (song == nullptr || song->IsRegion()) {
            return;
        }
    }
    CChildFrame* looping = m_main.FindLoopingFrame();
    // Within the looping list the songs move rather than appear twice, which a locked list
    // refuses before anything changes.
    const bool within = looping != nullptr && looping->GetView() == this;
    if (within && RefuseWhenLocked()) {
        return;
    }
    if (ids.empty() || !doc.CopySongs(ids, false, false)) {
        return;
    }
    if (within && !doc.RemoveSongs(ids)) {
        return;
    }
    const bool done = looping != nullptr && looping->GetView()->InsertFromClipboard(
                                                next ? Rules::kNextToPlayCode : Rules::kAtEndCode,
                                                IUserPrompt::kYesToAll, false, false, false);
    if (!done) {
        m_prompt.Message(kNoLoopingListText);
    } else if (!next) {
        m_prompt.Message(kSetLastText);
    } else if (m_main.GetSettings().m_nShowAlertAfterSetNext == 1) {
        m_prompt.Message(kSetNextText);
    }
}
