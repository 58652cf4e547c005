#include "ShellFixture.h"
#include "catalogue/CLoopState.h"
#include "ui/bar/CViewSelectListCtrl.h"
#include "ui/playlist/CFindPanel.h"
#include "ui/playlist/CSeekPanel.h"
#include "ui/playlist/CVolumeBar.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QSlider>

namespace {

// The window's keys reach the active playlist wherever the focus is inside the main window,
// with two playlist windows open (a key on both lists' actions would fire neither).
class KeysTest : public ShellTest {
protected:
    void SetUp() override {
        Start();
        OpenView("other", 2);
        m_pView = &OpenView("active", 3);
        Frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    }
    // Puts the focus on a widget and presses a key there.
    static void Press(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        ASSERT_NE(widget, nullptr);
        widget->show();
        widget->setFocus();
        QApplication::processEvents();
        QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
        QApplication::processEvents();
    }
    CChildFrame& ActiveFrame() { return *Frame().FindFrame(*Frame().GetPlaylists().back()); }
    template <typename T> T* Find() { return Frame().findChild<T*>(); }

    CMixorel2001View* m_pView = nullptr;
    EndlessLoop m_loop;
};

// Loop stop (F11) from each widget; F9 and the others go the same way but need a song that
// plays.
TEST_F(KeysTest, LoopStopReachesTheActiveListFromEveryWidgetOfTheWindow) {
    CChildFrame& frame = ActiveFrame();
    const std::pair<const char*, std::function<QWidget*()>> places[] = {
        {"the list", [&] { return static_cast<QWidget*>(m_pView); }},
        {"the playlists bar", [&] { return static_cast<QWidget*>(Find<CViewSelectListCtrl>()); }},
        {"the seek slider",
         [&] {
             Frame().ToggleSeekPanel();
             return static_cast<QWidget*>(Find<CSeekPanel>()->findChild<QSlider*>());
         }},
        {"Rem Played", [&] { return static_cast<QWidget*>(frame.GetRemovePlayedBox()); }},
        {"the volume slider",
         [&] { return static_cast<QWidget*>(frame.findChild<CVolumeBar*>()); }},
        {"the find text",
         [&] { return static_cast<QWidget*>(Find<CFindPanel>()->findChild<QLineEdit*>()); }},
    };
    CMixorel2001Doc& doc = m_pView->GetDoc();
    doc.SetLoopFactory(&m_loop);
    for (const auto& [name, widget] : places) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(doc.StartLoop(1));
        CLoopState::s_bStop = false; // as a real driver's start leaves it
        Press(widget(), Qt::Key_F11);
        EXPECT_FALSE(doc.IsLooping()) << "F11 stops the loop";
    }
}

TEST_F(KeysTest, EditingKeysActOnTheListButEditTextInATextField) {
    m_prompt.answers[CMixorel2001View::kRemoveQuestion] = IUserPrompt::kAnswerYes;
    m_pView->SelectLine(1);
    Press(Find<CViewSelectListCtrl>(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(m_pView->GetSelectionMark(), 0) << "Ctrl+Up from the playlists bar moved the song";

    auto* find = Find<CFindPanel>();
    Frame().ToggleFindPanel();
    auto* text = find->findChild<QLineEdit*>();
    text->setText(QStringLiteral("abc"));
    text->setCursorPosition(0);
    Press(text, Qt::Key_Delete);
    EXPECT_EQ(text->text(), QStringLiteral("bc")) << "Del deletes a character in the text";
    EXPECT_FALSE(m_prompt.WasAsked(CMixorel2001View::kRemoveQuestion));

    Press(m_pView, Qt::Key_Delete);
    EXPECT_TRUE(m_prompt.WasAsked(CMixorel2001View::kRemoveQuestion));
    EXPECT_EQ(m_pView->GetDoc().GetCount(), 2);

    // In the playlists bar Delete keeps its own meaning: the selected playlist closes.
    m_prompt.asked.clear();
    const std::size_t open = Frame().GetPlaylists().size();
    Press(Find<CViewSelectListCtrl>(), Qt::Key_Delete);
    EXPECT_FALSE(m_prompt.WasAsked(CMixorel2001View::kRemoveQuestion));
    EXPECT_EQ(Frame().GetPlaylists().size(), open - 1);
}

// Each key of the lists' commands is on exactly one action of the window, whatever the
// number of playlist windows: a key on two actions would be ambiguous and fire neither.
TEST_F(KeysTest, EveryListKeyIsOnOneActionOfTheWindow) {
    const QList<QAction*> actions = Frame().findChildren<QAction*>();
    for (const int command : CMixorel2001View::KeyedCommands()) {
        const QString text = QString::fromLatin1(CMixorel2001View::CommandMenuText(command));
        const QKeySequence key(text.mid(text.indexOf(QLatin1Char('\t')) + 1));
        const auto holders = std::count_if(actions.begin(), actions.end(), [&key](QAction* a) {
            return a->shortcuts().contains(key);
        });
        EXPECT_EQ(holders, 1) << text.toStdString();
    }
}

// Ctrl+Alt+Tab and Ctrl+Alt+Shift+Tab (X delivers Backtab, Shift spent on it) step through
// the playlists bar, wrapping, and activate the entry.
TEST_F(KeysTest, CtrlAltTabStepsThroughThePlaylistsWrapping) {
    const std::vector<COpenPlaylist*> playlists = Frame().GetPlaylists();
    ASSERT_EQ(Frame().GetActivePlaylist(), playlists.back());
    const Qt::KeyboardModifiers ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
    Press(m_pView, Qt::Key_Tab, ctrlAlt);
    EXPECT_EQ(Frame().GetActivePlaylist(), playlists.front()) << "wraps to the first";
    Press(Find<CViewSelectListCtrl>(), Qt::Key_Backtab, ctrlAlt);
    EXPECT_EQ(Frame().GetActivePlaylist(), playlists.back()) << "back to the last";
    Press(m_pView, Qt::Key_Backtab, ctrlAlt);
    EXPECT_EQ(Frame().GetActivePlaylist(), playlists[1]);
}

// Esc in the list closes its window; the document's save question comes first.
TEST_F(KeysTest, EscClosesThePlaylistWindowAfterItsQuestion) {
    m_pView->GetDoc().SetModifiedFlag(true);
    const std::size_t before = Frame().GetPlaylists().size();
    m_prompt.asked.clear();
    Press(m_pView, Qt::Key_Escape);
    ASSERT_EQ(m_prompt.asked.size(), 1U);
    EXPECT_EQ(m_prompt.asked[0].rfind("Save changes to ", 0), 0U) << "answered No";
    EXPECT_EQ(Frame().GetPlaylists().size(), before - 1);
}

} // namespace
