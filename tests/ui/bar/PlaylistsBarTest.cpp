#include "ShellFixture.h"
#include "catalogue/CMemorySongClipboard.h"
#include "platform/QtSongClipboard.h"
#include "ui/bar/CViewSelectDlgBar.h"
#include "ui/bar/CViewSelectListCtrl.h"

#include <QContextMenuEvent>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>

namespace {

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
    callbacks.contextMenu = [&](const void* view, const QPoint&) { note("menu", view); };
    callbacks.leaveBar = [&] { events.push_back("leave"); };
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
    // A right click selects and activates the entry under the pointer for its menu; Tab
    // leaves the bar.
    const QPoint onB = list->visualItemRect(list->item(1)).center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, onB, list->viewport()->mapToGlobal(onB));
    QApplication::sendEvent(list->viewport(), &click);
    EXPECT_EQ(list->currentRow(), 1);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Tab);
    EXPECT_EQ(events, (std::vector<std::string>{"activate b", "activate a", "songs on a",
                                                "files on b /music/a.qmx", "activate b", "menu b",
                                                "leave"}));

    EXPECT_TRUE(bar.RemoveEntry(&a));
    EXPECT_EQ(list->count(), 1);
    EXPECT_EQ(bar.FindLooping(), nullptr);
}

// Each icon style shows every entry with its icon and its whole name, in a bar docked
// under the playlists (wide and low), whatever the length of the first name.
TEST(PlaylistsBarTest, EveryStyleShowsEveryEntryWhole) {
    const std::vector<std::string> names{"Pa", "Party classics of the nineties", "Lounge", "Rock",
                                         "Jazz evening"};
    std::vector<int> views(names.size());
    for (const int style : {0, 1, 2}) {
        SCOPED_TRACE(style);
        CViewSelectDlgBar bar(CViewSelectDlgBar::Callbacks{});
        bar.SetIconStyle(style);
        bar.resize(200, 60); // laid out first while narrow, as at start-up
        bar.show();
        for (std::size_t i = 0; i < names.size(); ++i) {
            bar.AddEntry(&views[i], &views[i], names[i], false);
        }
        QApplication::processEvents();
        bar.resize(style == 0 ? 300 : 1000, style == 0 ? 200 : 130);
        QTest::qWait(20);
        QListWidget* list = bar.GetList();
        const QFontMetrics metrics(list->font());
        for (int row = 0; row < list->count(); ++row) {
            const QRect rect = list->visualItemRect(list->item(row));
            EXPECT_TRUE(list->viewport()->rect().contains(rect)) << row << " is shown";
            EXPECT_GE(rect.width(), metrics.horizontalAdvance(list->item(row)->text()) +
                                        list->iconSize().width() * (style == 1 ? 0 : 1))
                << row << " has room for its name";
            EXPECT_FALSE(list->item(row)->icon().isNull());
        }
    }
}

} // namespace
