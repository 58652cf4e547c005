#include "ShellFixture.h"
#include "catalogue/CMemorySongClipboard.h"
#include "platform/QtSongClipboard.h"
#include "ui/CFindPosition.h"
#include "ui/CMediaWalkerWnd.h"
#include "ui/CSeekPanel.h"
#include "ui/CViewSelectDlgBar.h"
#include "ui/CViewSelectListCtrl.h"

#include <QListWidget>
#include <QMimeData>
#include <QUrl>

namespace {

TEST(SeekWindowTest, TitleNamesTheSliderPlaceOnlyWhileDragging) {
    EXPECT_EQ(CSeekPanel::TitleText(false, 65, 221).toStdString(), "Seek");
    EXPECT_EQ(CSeekPanel::TitleText(true, 65, 221).toStdString(), "Seek 1:05/3:41");
    EXPECT_EQ(CSeekPanel::TitleText(true, 0, 0).toStdString(), "Seek 0:00/0:00");
    EXPECT_EQ(CSeekPanel::TitleText(true, 600, 3600).toStdString(), "Seek 10:00/60:00");
}

// Lines: 0 "Rain song", 1 "Blue", 2 "rain", 3 "Summer rain".
TEST(FindPositionTest, SearchesOnFromTheLastFindAndWraps) {
    CMixorel2001Doc doc;
    for (const char* title : {"Rain song", "Blue", "rain", "Summer rain"}) {
        AppendSong(doc, std::string("/music/") + title, title);
    }
    struct Case {
        const char* text;
        bool wholeWord, down;
        int start;
        std::vector<int> found; // three searches in a row
    };
    const Case cases[] = {{"rain", false, true, -1, {0, 2, 3}},
                          {"rain", true, true, 0, {2, 2, 2}},
                          {"rain", false, false, 1, {0, 3, 2}},
                          {"blue", false, true, 3, {1, 1, 1}},
                          {"jazz", false, true, -1, {-1, -1, -1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << c.wholeWord << c.down << c.start);
        CFindPosition find;
        const std::string pattern = CFindPosition::PatternFor(c.text, c.wholeWord);
        std::vector<int> found{find.FindSong(doc, pattern, c.down, c.start)};
        for (int i = 0; i < 2; ++i) {
            found.push_back(find.FindSong(doc, pattern, c.down, CFindPosition::kFromPosition));
        }
        EXPECT_EQ(found, c.found);
    }
}

TEST(MediaWalkerWindowTest, AsksWhileReadingAndAddsTheWholeListWhenNothingIsSelected) {
    CMixorel2001Doc doc;
    CMemorySongClipboard clipboard;
    doc.SetClipboard(&clipboard);
    for (const char* title : {"b", "a", "c"}) {
        AppendSong(doc, std::string("/music/") + title + ".mp3", title);
    }
    ScriptedPrompt prompt;
    // The songs wait for the processing thread: the walker asks first.
    EXPECT_EQ(CMediaWalkerWnd::Open(doc, prompt, {}), nullptr);
    EXPECT_TRUE(prompt.WasAsked(CMediaWalkerModel::kProcessingText));

    CMediaWalkerWnd walker(doc, prompt, {});
    EXPECT_EQ(walker.Model().GetListTitles(), (std::vector<std::string>{"a", "b", "c"}));
    walker.AddSongs();
    EXPECT_EQ(walker.Model().GetClipboardSize(), 0u) << "No to adding the whole list";
    prompt.answers[CMediaWalkerModel::kNoSelectionText] = IUserPrompt::kAnswerYes;
    walker.AddSongs();
    walker.AddSongs();
    EXPECT_EQ(walker.Model().GetClipboardSize(), 3u);
    std::vector<std::uint8_t> data;
    EXPECT_TRUE(clipboard.GetData(ISongClipboard::kSongFormat, data))
        << "the songs are on the program's song clipboard";
    prompt.answers[CMediaWalkerModel::kEmptyClipboardText] = IUserPrompt::kAnswerYes;
    walker.EmptyClipboard();
    walker.EmptyClipboard();
    EXPECT_TRUE(prompt.WasAsked(CMediaWalkerModel::kAlreadyEmptyText));
}

// Entries, the activation tick, and drops on an entry or below the last one (refused).
TEST(PlaylistsBarTest, EntriesActivationAndDrops) {
    int a = 0, b = 0, docA = 0, docB = 0;
    std::vector<std::string> events;
    const auto note = [&](const char* what, const void* view, const std::string& more = {}) {
        events.push_back(what + std::string(view == &a ? " a" : " b") + more);
    };
    CViewSelectDlgBar::Callbacks callbacks;
    callbacks.activate = [&](const void* view) { note("activate", view); };
    callbacks.songsDropped = [&](const void* view) { note("songs on", view); };
    callbacks.filesDropped = [&](const void* view, const std::vector<std::string>& paths) {
        note("files on", view, " " + paths.at(0));
    };
    callbacks.tooltip = [](const void*) { return QStringLiteral("tip"); };
    CViewSelectDlgBar bar(callbacks);
    bar.resize(200, 300);
    bar.show();
    bar.AddEntry(&a, &docA, "Party.qmx", false);
    bar.AddEntry(&b, &docB, "Lounge", true);
    QListWidget* list = bar.GetList();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Party"));
    EXPECT_EQ(list->currentRow(), 1);
    // The new selection is activated at the next tick, once; Ctrl+Alt+Tab wraps.
    bar.Tick();
    bar.Tick();
    bar.SelectNext(true);
    bar.SetState(&a, CPlaylistsBarEntries::kLooping, true);
    EXPECT_EQ(bar.FindLooping(), &a);

    auto* control = static_cast<CViewSelectListCtrl*>(list);
    QMimeData songs;
    songs.setData(QtSongClipboard::MimeTypeFor(ISongClipboard::kDragFormat), QByteArray("x"));
    const QPoint onA = list->visualItemRect(list->item(0)).center();
    EXPECT_TRUE(control->DropAt(onA, songs));
    EXPECT_FALSE(control->DropAt(QPoint(onA.x(), list->viewport()->height() - 2), songs))
        << "below the last entry";
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/music/a.qmx"))});
    EXPECT_TRUE(control->DropAt(list->visualItemRect(list->item(1)).center(), files));
    EXPECT_EQ(events, (std::vector<std::string>{"activate b", "activate a", "songs on a",
                                                "files on b /music/a.qmx"}));

    EXPECT_TRUE(bar.RemoveEntry(&a));
    EXPECT_EQ(list->count(), 1);
    EXPECT_EQ(bar.FindLooping(), nullptr);
}

} // namespace
