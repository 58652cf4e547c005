#include "platform/QtSongClipboard.h"
#include "ui/CViewSelectDlgBar.h"
#include "ui/CViewSelectListCtrl.h"

#include <QApplication>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// The bar as the main window uses it: entries, icons by state, the activation tick, and
// drops on an entry (songs, playlist files) or below the last one (refused).
TEST(PlaylistsBarTest, EntriesActivationAndDrops) {
    int a = 0, b = 0, docA = 0, docB = 0;
    std::vector<const void*> activated;
    std::vector<const void*> songsOn;
    std::vector<std::string> filesOnB;
    CViewSelectDlgBar::Callbacks callbacks;
    callbacks.activate = [&](const void* view) { activated.push_back(view); };
    callbacks.songsDropped = [&](const void* view) { songsOn.push_back(view); };
    callbacks.filesDropped = [&](const void* view, const std::vector<std::string>& paths) {
        if (view == &b) {
            filesOnB = paths;
        }
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

    bar.Tick();
    EXPECT_EQ(activated, std::vector<const void*>{&b}) << "the new selection at the next tick";
    bar.Tick();
    EXPECT_EQ(activated.size(), 1u);
    bar.SelectNext(true);
    EXPECT_EQ(activated.back(), &a) << "Ctrl+Alt+Tab wraps to the first";

    bar.SetState(&a, CPlaylistsBarEntries::kLooping, true);
    EXPECT_EQ(bar.FindLooping(), &a);

    auto* control = static_cast<CViewSelectListCtrl*>(list);
    auto drop = [&](const QPoint& at, QMimeData* mime) { return control->DropAt(at, *mime); };
    QMimeData songs;
    songs.setData(QtSongClipboard::MimeTypeFor(ISongClipboard::kDragFormat), QByteArray("x"));
    const QPoint onA = list->visualItemRect(list->item(0)).center();
    const QPoint onB = list->visualItemRect(list->item(1)).center();
    EXPECT_TRUE(drop(onA, &songs));
    EXPECT_EQ(songsOn, std::vector<const void*>{&a});
    EXPECT_FALSE(drop(QPoint(onA.x(), list->viewport()->height() - 2), &songs))
        << "below the last entry";
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/music/a.qmx"))});
    EXPECT_TRUE(drop(onB, &files));
    EXPECT_EQ(filesOnB, std::vector<std::string>{"/music/a.qmx"});

    EXPECT_TRUE(bar.RemoveEntry(&a));
    EXPECT_EQ(list->count(), 1);
    EXPECT_EQ(bar.FindLooping(), nullptr);
}

} // namespace
