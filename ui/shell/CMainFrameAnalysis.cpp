// The background song analysis as the main window sees it: which songs it asks for first
// (the looping list's next songs, then the lines in view, then every song of the open
// playlists), the status pane with its progress, and the lists redrawn as results come
// in. Runs on the idle timer.

#include "ui/shell/CMainFrame.h"

#include "catalogue/CMixorel2001Doc.h"
#include "loudness/CLoudnessService.h"
#include "loudness/LoudnessLabel.h"
#include "ui/playlist/CChildFrame.h"
#include "ui/shell/CMainFrameEntry.h"
#include "ui/shell/COpenPlaylist.h"

#include <QLabel>
#include <QStatusBar>
#include <QTableView>
#include <mutex>

namespace {

// How many songs after the loop position are asked for first.
constexpr int kNextSongs = 3;

// The paths of the songs on lines first to last (inclusive), regions left out.
std::vector<std::string> PathsOf(CMixorel2001Doc& doc, int first, int last) {
    std::vector<std::string> paths;
    std::lock_guard lock(doc.GetMutex());
    const int count = doc.GetCount();
    for (int line = std::max(first, 0); line <= last && line < count; ++line) {
        const CSong* song = doc.GetSongAt(line);
        if (song != nullptr && !song->IsRegion()) {
            paths.push_back(song->GetPath());
        }
    }
    return paths;
}

} // namespace

void CMainFrame::BuildAnalysisPane() {
    m_pAnalysisPane = new QLabel(this);
    m_pAnalysisPane->hide();
    statusBar()->addPermanentWidget(m_pAnalysisPane);
}

void CMainFrame::FeedAnalysis() {
    CLoudnessService* service = m_services.pLoudness;
    if (service == nullptr) {
        return;
    }
    const bool redraw = service->m_bResultsChanged.exchange(false);
    std::map<const CMixorel2001Doc*, int> counts;
    for (const auto& entry : m_entries) {
        CMixorel2001Doc& doc = entry->pPlaylist->GetDoc();
        const int count = doc.GetCount();
        counts[&doc] = count;
        // A new list, or one whose length changed (an import, a paste), is queued whole;
        // songs already analysed or queued cost the worker one look.
        const auto known = m_analysedCounts.find(&doc);
        if (known == m_analysedCounts.end() || known->second != count) {
            service->Add(PathsOf(doc, 0, count - 1), CAnalysisQueue::kRest);
        }
        if (doc.IsLooping()) {
            const int next = doc.GetLoopPos();
            auto paths = PathsOf(doc, next, next + kNextSongs - 1);
            if (next + kNextSongs > count) {
                auto wrapped = PathsOf(doc, 0, next + kNextSongs - count - 1);
                paths.insert(paths.end(), wrapped.begin(), wrapped.end());
            }
            service->Add(std::move(paths), CAnalysisQueue::kNextInLoop);
        }
        if (entry->pFrame != nullptr && entry->pFrame->isVisible()) {
            QTableView* list = entry->pFrame->GetList();
            const int top = list->rowAt(0);
            int bottom = list->rowAt(list->viewport()->height() - 1);
            bottom = bottom < 0 ? count - 1 : bottom;
            if (top >= 0) {
                service->Add(PathsOf(doc, top, bottom), CAnalysisQueue::kInView);
            }
            if (redraw) {
                list->viewport()->update();
            }
        }
    }
    m_analysedCounts = std::move(counts);
    const auto progress = service->GetProgress();
    const std::string text = AnalysisProgressText(progress.nDone, progress.nTotal);
    m_pAnalysisPane->setText(QString::fromStdString(text));
    m_pAnalysisPane->setVisible(!text.empty());
}
