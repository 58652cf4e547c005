#include "ShellFixture.h"

#include "media/CAutoTagger.h"
#include "ui/tags/CAutoTagDialog.h"
#include "ui/tags/CTagCommands.h"

#include <QAction>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTimer>

namespace {

QAction* FindCommand(QWidget& frame, const char* text) {
    const QString wanted = QString::fromLatin1(text).section(QLatin1Char('\t'), 0, 0);
    for (QAction* action : frame.findChildren<QAction*>()) {
        if (action->text() == wanted) {
            return action;
        }
    }
    return nullptr;
}

struct EnableCase {
    const char* name;
    std::vector<int> selected; // lines; the last one is the selection mark
    bool edit;
    bool autoTag;
};

class TagCommandsTest : public ShellTest, public ::testing::WithParamInterface<EnableCase> {};

// Lines: 0 song, 1 region header, 2 and 3 songs. The editor needs a song at the mark, the
// auto-tagger any selection.
TEST_P(TagCommandsTest, EnabledOnlyWhenTheyCanAct) {
    const EnableCase& c = GetParam();
    Start();
    CMixorel2001View& view = OpenView("tags", 3);
    ASSERT_TRUE(view.GetDoc().AddRegion(
        0, CMixorel2001Doc::MakeRegionHeader("Dinner", CDateTime::Null(), 0, 0)));
    QApplication::processEvents(); // the list shows the header
    QAction* edit = FindCommand(Frame(), CTagCommands::kEditText);
    QAction* autoTag = FindCommand(Frame(), CTagCommands::kAutoTagText);
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(autoTag, nullptr);
    view.clearSelection();
    for (int line : c.selected) {
        view.selectionModel()->setCurrentIndex(
            view.model()->index(line, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    auto* menu = qobject_cast<QMenu*>(edit->parent());
    ASSERT_NE(menu, nullptr);
    emit menu->aboutToShow();
    EXPECT_EQ(edit->isEnabled(), c.edit);
    EXPECT_EQ(autoTag->isEnabled(), c.autoTag);

    // The key reaches the auto-tagger whatever the menu showed; it opens only when it
    // can act, and its last message offers OK and Cancel.
    emit menu->aboutToHide();
    bool dialogShown = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<CAutoTagDialog*>(QApplication::activeModalWidget())) {
            dialogShown = true;
            dialog->FieldList()->setCurrentIndex(dialog->FieldList()->findText("TITLE"));
            dialog->Add();
            dialog->accept();
        }
    });
    autoTag->trigger();
    QApplication::processEvents();
    EXPECT_EQ(dialogShown, c.autoTag);
    const std::string finished = CAutoTagger::FinishedText(0);
    EXPECT_EQ(m_prompt.WasAsked(finished), c.autoTag);
    if (c.autoTag) {
        EXPECT_EQ(m_prompt.buttonsOf[finished], IShellPrompt::kOkCancel);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, TagCommandsTest,
                         ::testing::Values(EnableCase{"NothingSelected", {}, false, false},
                                           EnableCase{"Song", {2}, true, true},
                                           EnableCase{"RegionHeader", {1}, false, true},
                                           EnableCase{
                                               "SongsThenHeaderAsMark", {0, 2, 1}, false, true},
                                           EnableCase{"HeaderThenSongAsMark", {1, 3}, true, true}),
                         [](const auto& param) { return std::string(param.param.name); });

} // namespace
