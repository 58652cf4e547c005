#include "ShellFixture.h"
#include "media/MpegFileInfo.h"
#include "settings/CRegionPresets.h"
#include "support/TestFiles.h"
#include "ui/CAutoTagDialog.h"
#include "ui/CId3TagDialog.h"
#include "ui/COptionsDialog.h"
#include "ui/CRegionDialog.h"
#include "ui/CRegionsPanel.h"

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

// The dialog over a store: what the controls show is what OK writes, the restart notice,
// and a refused value keeping the dialog open on its page.
TEST(OptionsDialogTest, OkWritesWhatTheControlsShow) {
    TempDir dir;
    ::setenv("MIXOREL_HOME", dir.Path().c_str(), 1);
    CMemorySettingsStore store;
    store.WriteProfileInt("fonts", "listviewfontsize", 95);
    store.WriteProfileInt("list", "fastmovedown", 0);
    ScriptedPrompt prompt;
    bool liked = false;
    COptionsDialog dialog(prompt, store, [&] { return liked = true; });

    for (QRadioButton* radio : dialog.findChildren<QRadioButton*>()) {
        if (radio->text() == QStringLiteral("Use &Winamp")) {
            radio->setChecked(true);
        }
    }
    EXPECT_FALSE(dialog.Apply()) << "fast move down 0 is refused";
    EXPECT_TRUE(prompt.WasAsked(COptionsPages::kRestartText));
    EXPECT_TRUE(prompt.WasAsked("Please enter an integer between 1 and 1000."));
    EXPECT_EQ(store.GetProfileInt("global", "usewinamp", -1), 1) << "pages before List are stored";

    for (QSpinBox* spin : dialog.findChildren<QSpinBox*>()) {
        if (spin->value() == 0 && spin->minimum() == 0 && spin->maximum() == 1000) {
            spin->setValue(7);
        }
    }
    EXPECT_TRUE(dialog.Apply());
    EXPECT_EQ(store.GetProfileInt("list", "fastmovedown", -1), 7);
    EXPECT_EQ(store.GetProfileInt("fonts", "listviewfontsize", -1), 90);
    EXPECT_FALSE(liked);
}

TEST(TagDialogsTest, AutoTaggerBuildsItsCriteriaFieldByField) {
    ScriptedPrompt prompt;
    CAutoTagDialog dialog(prompt, 3);
    EXPECT_FALSE(dialog.Use());
    EXPECT_TRUE(prompt.WasAsked(CAutoTagger::kNoCriteriaText));
    for (const QString field : {"TRACK", "ARTIST", "TITLE"}) {
        dialog.FieldList()->setCurrentIndex(dialog.FieldList()->findText(field));
        dialog.SeparatorList()->setEditText(field == "TITLE" ? QString() : QStringLiteral("-"));
        dialog.Add();
    }
    EXPECT_EQ(dialog.Criteria(), QStringLiteral("{TRACK}-{ARTIST}-{TITLE}"));
    EXPECT_EQ(dialog.FieldList()->count(), 4) << "the fields used leave the list";
    EXPECT_TRUE(dialog.Use());
    dialog.Pattern().Parse("07-Band-Song.mp3");
    EXPECT_EQ(dialog.Pattern().Lookup("track"), "07");
    EXPECT_EQ(dialog.Defaults().strGenre, "(147)Synthpop") << "the last genre is preselected";
    dialog.Reset();
    EXPECT_EQ(dialog.Criteria(), QString());
    EXPECT_EQ(dialog.FieldList()->count(), 7);
}

TEST(TagDialogsTest, TagEditorRefusesAYearOutOfRangeAndSavesTheRest) {
    TempDir dir;
    const std::string song = dir.File("a.mp3");
    WriteAll(song, TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, 20));
    ScriptedPrompt prompt;
    CId3TagDialog dialog(prompt, {song});
    ASSERT_TRUE(dialog.IsLoaded());
    auto* v1 = dialog.findChildren<QGroupBox*>().front();
    v1->setChecked(true);
    QSpinBox* year = v1->findChildren<QSpinBox*>().front();
    year->setValue(3001);
    EXPECT_FALSE(dialog.Save());
    EXPECT_TRUE(prompt.WasAsked("Please enter an integer between 0 and 3000."));
    year->setValue(1999);
    v1->findChildren<QLineEdit*>().front()->setText(QStringLiteral("Title"));
    EXPECT_TRUE(dialog.Save());
    MpegFileInfo info;
    ASSERT_EQ(info.Read(song), MpegFileInfo::kRead);
    EXPECT_TRUE(info.hasId3v1);
    EXPECT_EQ(info.tag.Year(), 1999);

    const std::string wav = dir.File("a.wav");
    WriteAll(wav, std::vector<std::uint8_t>(1024, 0));
    CId3TagDialog failed(prompt, {wav});
    EXPECT_FALSE(failed.IsLoaded());
    EXPECT_TRUE(prompt.WasAsked(CTagEditorData::kOpenFailedText));
}

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
