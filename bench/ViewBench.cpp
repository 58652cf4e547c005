// The playlist window on a 100,000-song playlist, offscreen: open to the first screen
// painted, one screen repainted after PageDown, select all + delete, a heading-click sort,
// and the heap the window adds per line beyond the document. Each figure is the min and
// median of 3 runs (the PageDown figure: of 3 runs of 200 pages, each run's median).
//
//   QT_QPA_PLATFORM=offscreen mixorel-view-bench
//
// MIXOREL_BENCH_SONGS sets the number of songs (default 100000).
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistFile.h"
#include "settings/CMemorySettingsStore.h"
#include "ui/playlist/CChildFrame.h"
#include "ui/playlist/CMixorel2001View.h"
#include "ui/prompts/IShellPrompt.h"
#include "ui/shell/CMainFrame.h"
#include "ui/shell/CMixorelApp.h"
#include "ui/shell/COpenPlaylist.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class YesPrompt : public IShellPrompt {
public:
    void Message(const std::string&) override {}
    Answer Question(const std::string&, bool) override { return kAnswerYes; }
    DuplicateAnswer DuplicateQuestion(const std::string&, const std::string&) override {
        return kYesToAll;
    }
    bool SongData(std::string&, std::string&) override { return false; }
    // Yes to the remove question only (not to the first run's import).
    Answer Ask(const std::string& text, Buttons, Icon) override {
        return text == CMixorel2001View::kRemoveQuestion ? kAnswerYes : kAnswerNo;
    }
    bool ChooseOpenFile(const std::string&, const std::string&, std::string&) override {
        return false;
    }
    bool ChooseSaveFile(const std::string&, const std::string&, const std::string&, std::string&,
                        const std::string&) override {
        return false;
    }
};

double Ms(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

void Report(const char* what, std::vector<double> runs, const char* unit = "ms") {
    std::sort(runs.begin(), runs.end());
    std::printf("%-34s min %8.2f %s   median %8.2f %s\n", what, runs.front(), unit,
                runs[runs.size() / 2], unit);
}

std::string WritePlaylist(const std::string& folder, std::size_t songs) {
    CPlaylistContent content;
    content.m_songs.resize(songs);
    for (std::size_t i = 0; i < songs; ++i) {
        CSong& song = content.m_songs[i];
        song.SetPathText("/home/user/Music/Artist " + std::to_string(i % 500) + "/Album " +
                         std::to_string(i % 37) + "/" + std::to_string(i) + " Some song.mp3");
        song.SetTitle("Artist " + std::to_string(i % 500) + " - Song title number " +
                      std::to_string((i * 7919) % songs));
        song.SetInfoFlag(true);
        song.SetInfo(static_cast<std::uint32_t>(2000000 + (i % 300) * 16000), 128, 44100, 0);
    }
    const std::string path = folder + "/big.qmx";
    CPlaylistFile::Write(path, content);
    return path;
}

std::size_t Heap() {
    return mallinfo2().uordblks;
}

CMixorel2001View* OpenView(CMainFrame& frame, const std::string& path) {
    frame.OpenFile(path);
    COpenPlaylist* playlist = frame.GetActivePlaylist();
    CChildFrame* child = playlist != nullptr ? frame.FindFrame(*playlist) : nullptr;
    return child != nullptr ? child->GetView() : nullptr;
}

void CloseAll(CMainFrame& frame) {
    for (COpenPlaylist* playlist : frame.GetPlaylists()) {
        playlist->GetDoc().SetModifiedFlag(false);
        frame.ClosePlaylist(*playlist);
    }
    QApplication::processEvents();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const char* count = std::getenv("MIXOREL_BENCH_SONGS");
    const std::size_t songs = count != nullptr ? std::strtoul(count, nullptr, 10) : 100000;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("mixorel-view-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    ::setenv("MIXOREL_HOME", folder.c_str(), 1);
    const std::string path = WritePlaylist(folder.string(), songs);
    YesPrompt prompt;
    CMixorelApp::Options options;
    options.pStore = std::make_shared<CMemorySettingsStore>();
    options.pPrompt = &prompt;
    options.bHandleSignals = false;
    CMixorelApp app(options);
    if (!app.InitInstance({})) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    CMainFrame& frame = *app.GetMainFrame();
    frame.resize(1280, 900);
    frame.show();
    QApplication::processEvents();
    CloseAll(frame);
    std::printf("%zu songs\n", songs);

    std::vector<double> open, page, deletion, sort, perLine;
    for (int run = 0; run < 3; ++run) {
        const std::size_t before = Heap();
        const auto start = Clock::now();
        CMixorel2001View* view = OpenView(frame, path);
        if (view == nullptr) {
            std::fprintf(stderr, "the playlist did not open\n");
            return 1;
        }
        view->viewport()->repaint();
        open.push_back(Ms(start));
        QApplication::processEvents();
        // The document alone: the window's share is what remains beyond it.
        const std::size_t withView = Heap();
        {
            CMixorel2001Doc probe;
            const std::size_t base = Heap();
            probe.OnOpenDocument(path);
            const std::size_t docOnly = Heap() - base;
            perLine.push_back(
                (static_cast<double>(withView - before) - static_cast<double>(docOnly)) /
                static_cast<double>(songs));
        }

        std::vector<double> pages;
        for (int i = 0; i < 200; ++i) {
            const auto step = Clock::now();
            QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            QApplication::sendEvent(view, &key);
            view->viewport()->repaint();
            pages.push_back(Ms(step));
        }
        std::sort(pages.begin(), pages.end());
        page.push_back(pages[pages.size() / 2]);

        auto timed = Clock::now();
        Q_EMIT view->horizontalHeader()->sectionClicked(0);
        view->viewport()->repaint();
        sort.push_back(Ms(timed));

        timed = Clock::now();
        view->RunCommand(CMixorel2001View::kSelectAll);
        view->RunCommand(CMixorel2001View::kDelete);
        view->viewport()->repaint();
        deletion.push_back(Ms(timed));
        CloseAll(frame);
    }
    Report("open to first screen painted", open);
    Report("PageDown repaint (median of 200)", page);
    Report("header-click sort", sort);
    Report("select all + delete", deletion);
    Report("heap per line beyond document", perLine, "B");
    app.ExitInstance();
    std::filesystem::remove_all(folder);
    return 0;
}
