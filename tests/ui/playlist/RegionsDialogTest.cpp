#include "ShellFixture.h"
#include "settings/CRegionPresets.h"
#include "ui/playlist/CRegionDialog.h"
#include "ui/playlist/CRegionsPanel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <ctime>
#include <mutex>
#include <tuple>

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
    const std::pair<const char*, bool> names[] = {{"", false}, {"  ", false}, {"Late", true}};
    for (const auto& [name, accepted] : names) {
        prompt.asked.clear();
        dialog.SetName(QString::fromLatin1(name));
        EXPECT_EQ(dialog.TryAccept(), accepted) << '"' << name << '"';
        EXPECT_EQ(prompt.WasAsked(CMixorel2001Doc::kEmptyRegionNameText), !accepted);
    }
    const auto stored = presets.Load();
    ASSERT_EQ(stored.size(), 3U);
    EXPECT_EQ(stored[0].m_strName, "Late");

    dialog.ChoosePreset(1); // "Dance" in the list the dialog opened with
    const CRegionDialog::Fields chosen = dialog.GetFields();
    EXPECT_EQ(std::tie(chosen.m_strName, chosen.m_crText, chosen.m_crBack),
              std::make_tuple("Dance", 0x0000ffU, 0x00ff00U));
    dialog.ChoosePreset(7); // past the list: nothing changes
    EXPECT_EQ(dialog.GetFields().m_strName, "Dance");
}

TEST_F(RegionsDialogTest, AddStartsNowWithoutSecondsAndNoneClearsTheStart) {
    std::tm local{};
    ::strptime("2026-12-06 21:04:37", "%Y-%m-%d %H:%M:%S", &local);
    local.tm_isdst = -1;
    const CRegionDialog::Fields fields = CRegionDialog::DefaultsForAdd(std::mktime(&local), 5, 6);
    EXPECT_EQ(std::tie(fields.m_dtStart, fields.m_crBack, fields.m_crText),
              std::make_tuple(CDateTime::FromCalendar(2026, 12, 6, 21, 4, 0), 5U, 6U));

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
}

} // namespace
