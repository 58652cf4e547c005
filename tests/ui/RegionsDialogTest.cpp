#include "ShellFixture.h"
#include "settings/CRegionPresets.h"
#include "ui/CRegionDialog.h"
#include "ui/CRegionsPanel.h"

#include <QListWidget>
#include <QTimer>
#include <mutex>

namespace {

class RegionsDialogTest : public ShellTest {
protected:
    // Fills in the region dialog once it shows, then presses OK or cancels.
    static void WhenDialogShows(std::function<void(CRegionDialog&)> fill, bool ok = true) {
        auto attempt = std::make_shared<std::function<void()>>();
        *attempt = [fill = std::move(fill), ok, attempt] {
            auto* dialog = qobject_cast<CRegionDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                QTimer::singleShot(10, *attempt);
                return;
            }
            fill(*dialog);
            if (!ok || !dialog->TryAccept()) {
                dialog->reject();
            }
        };
        QTimer::singleShot(0, *attempt);
    }
    static std::string LineTitle(CMixorel2001Doc& doc, int line) {
        std::lock_guard lock(doc.GetMutex());
        const CSong* song = doc.GetSongAt(line);
        return song == nullptr ? "-" : (song->IsRegion() ? "[" : "") + song->GetTitle();
    }
};

TEST_F(RegionsDialogTest, OkRefusesAnEmptyNameAndPutsTheRegionFirstAmongThePresets) {
    CSettings settings(*m_pStore);
    CRegionPresets presets(settings);
    ASSERT_TRUE(presets.Use({"Dance", 0x0000ff, 0x00ff00}));
    ASSERT_TRUE(presets.Use({"Dinner", 0x111111, 0x222222}));
    ScriptedPrompt prompt;
    CRegionDialog dialog(nullptr, settings, prompt, {});
    struct Case {
        const char* name;
        bool accepted;
    };
    for (const Case& c : {Case{"", false}, Case{"  ", false}, Case{"Late", true}}) {
        prompt.asked.clear();
        dialog.SetName(QString::fromLatin1(c.name));
        EXPECT_EQ(dialog.TryAccept(), c.accepted) << '"' << c.name << '"';
        EXPECT_EQ(prompt.WasAsked(CMixorel2001Doc::kEmptyRegionNameText), !c.accepted);
    }
    const auto stored = presets.Load();
    ASSERT_EQ(stored.size(), 3U);
    EXPECT_EQ(stored[0].m_strName, "Late");

    dialog.ChoosePreset(1); // "Dance" in the list the dialog opened with
    const CRegionDialog::Fields chosen = dialog.GetFields();
    EXPECT_EQ(chosen.m_strName, "Dance");
    EXPECT_EQ(chosen.m_crText, 0x0000ffU);
    EXPECT_EQ(chosen.m_crBack, 0x00ff00U);
    dialog.ChoosePreset(7); // past the list: nothing changes
    EXPECT_EQ(dialog.GetFields().m_strName, "Dance");
}

TEST_F(RegionsDialogTest, AddStartsNowWithoutSecondsAndNoneClearsTheStart) {
    std::tm local{};
    local.tm_year = 126;
    local.tm_mon = 11;
    local.tm_mday = 6;
    local.tm_hour = 21;
    local.tm_min = 4;
    local.tm_sec = 37;
    local.tm_isdst = -1;
    const CRegionDialog::Fields fields = CRegionDialog::DefaultsForAdd(std::mktime(&local), 5, 6);
    EXPECT_EQ(fields.m_dtStart, CDateTime::FromCalendar(2026, 12, 6, 21, 4, 0));
    EXPECT_EQ(fields.m_crBack, 5U);
    EXPECT_EQ(fields.m_crText, 6U);

    CSettings settings(*m_pStore);
    ScriptedPrompt prompt;
    CRegionDialog dialog(nullptr, settings, prompt, fields);
    EXPECT_EQ(dialog.GetFields().m_dtStart, fields.m_dtStart);
    dialog.SetStart(CDateTime::Null());
    EXPECT_TRUE(dialog.GetFields().m_dtStart.IsNull());
}

TEST_F(RegionsDialogTest, AddInsertsAfterTheSelectionAndADoubleClickEditsTheHeader) {
    Start();
    CMixorel2001View& view = OpenView("a", 3);
    CMixorel2001Doc& doc = view.GetDoc();
    view.SelectLine(0);
    WhenDialogShows([](CRegionDialog& dialog) { dialog.SetName(QStringLiteral("Dinner")); });
    view.RunCommand(CMixorel2001View::kAddRegion);
    EXPECT_EQ(LineTitle(doc, 1), "[Dinner");
    EXPECT_EQ(view.GetSelectionMark(), 1) << "the new header is selected";

    WhenDialogShows([](CRegionDialog& dialog) { dialog.SetName(QStringLiteral("Lost")); }, false);
    view.RunCommand(CMixorel2001View::kEditRegion);
    EXPECT_EQ(LineTitle(doc, 1), "[Dinner") << "cancel keeps the header";

    view.scrollToTop();
    const QRect header = view.visualRect(view.model()->index(1, 0));
    WhenDialogShows([](CRegionDialog& dialog) {
        EXPECT_EQ(dialog.GetFields().m_strName, "Dinner");
        dialog.SetName(QStringLiteral("Supper"));
    });
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, header.center());
    EXPECT_EQ(LineTitle(doc, 1), "[Supper");
    const auto* regions = Frame().findChild<CRegionsPanel*>()->findChild<QListWidget*>();
    ASSERT_EQ(regions->count(), 1);
    EXPECT_TRUE(regions->item(0)->text().startsWith(QStringLiteral("Supper "))) << "with its start";

    doc.SetLocked(true, false);
    m_prompt.asked.clear();
    view.RunCommand(CMixorel2001View::kAddRegion);
    EXPECT_TRUE(m_prompt.WasAsked(CMixorel2001View::kLockedText));
    EXPECT_EQ(doc.GetCount(), 4);
}

} // namespace
