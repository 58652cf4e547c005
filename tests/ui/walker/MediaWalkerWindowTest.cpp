#include "ShellFixture.h"
#include "catalogue/CMemorySongClipboard.h"
#include "catalogue/CSongClipboardData.h"
#include "platform/QtSongClipboard.h"
#include "ui/walker/CMediaWalkerWnd.h"

#include <QMimeData>
#include <QTableView>
#include <QTreeWidget>
#include <mutex>

namespace {

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

// The walker at a party: Ctrl+W in the playlist opens it (the playlist window's own close
// key gives it up), and its keys act on the walker's selection as the list's keys act on
// the list's: F4 moves the chosen song to play next in the looping list, and the walker
// still knows the song under its new identity. Dragging a tree node drags all its songs.
class MediaWalkerKeysTest : public ShellTest {
protected:
    static std::string Titles(CMixorel2001Doc& doc) {
        std::lock_guard lock(doc.GetMutex());
        std::string titles;
        for (int i = 0; i < doc.GetCount(); ++i) {
            titles += doc.GetSongAt(i)->GetTitle().back();
        }
        return titles;
    }
    static void Press(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = {}) {
        widget->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(widget->window()));
        widget->setFocus();
        QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
        QApplication::processEvents();
    }
    EndlessLoop m_loop;
};

TEST_F(MediaWalkerKeysTest, CtrlWOpensItAndF4SetsItsSongAsNextInTheLoopingList) {
    Start();
    CMixorel2001View& view = OpenView("a", 4);
    m_prompt.answers[CMediaWalkerModel::kProcessingText] = IUserPrompt::kAnswerYes;
    const std::size_t open = Frame().GetPlaylists().size();
    Press(&view, Qt::Key_W, Qt::ControlModifier);
    auto* walker = Frame().findChild<CMediaWalkerWnd*>();
    ASSERT_NE(walker, nullptr) << "Ctrl+W opened the walker";
    EXPECT_EQ(Frame().GetPlaylists().size(), open) << "and did not close the playlist window";

    CMixorel2001Doc& doc = view.GetDoc();
    doc.SetLoopFactory(&m_loop);
    ASSERT_TRUE(doc.StartLoop(1));
    doc.SetLoopPos(3);
    auto* list = walker->findChild<QTableView*>();
    ASSERT_EQ(walker->Model().GetListTitles().front().back(), '0');
    list->selectRow(0);
    Press(list, Qt::Key_F4);
    EXPECT_EQ(Titles(doc), "1203") << "song 0 moved before the next song";
    EXPECT_EQ(doc.GetLoopPos(), 2) << "and plays next";
    const std::vector<std::string> chosen = walker->SelectedIds();
    ASSERT_EQ(chosen.size(), 1u);
    const CSong* followed = doc.FindById(chosen.front());
    ASSERT_NE(followed, nullptr) << "the walker follows the moved song";
    EXPECT_EQ(followed->GetTitle().back(), '0');
    Press(list, Qt::Key_F4, Qt::ShiftModifier);
    EXPECT_EQ(Titles(doc), "1230") << "Shift+F4 moves it to the end of the looping list";
    doc.StopLoop();

    auto* tree = walker->findChild<QTreeWidget*>();
    std::unique_ptr<QMimeData> dragged(walker->MakeNodeDragData(tree->topLevelItem(0)));
    ASSERT_NE(dragged, nullptr);
    const QByteArray bytes =
        dragged->data(QtSongClipboard::MimeTypeFor(ISongClipboard::kDragFormat));
    std::vector<CSong> songs;
    ASSERT_EQ(CSongClipboardData::Parse(
                  std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            static_cast<std::size_t>(bytes.size())),
                  songs),
              CPlaylistFile::kOk);
    EXPECT_EQ(songs.size(), walker->Model().GetSongCount()) << "the root drags every song";
}

} // namespace
