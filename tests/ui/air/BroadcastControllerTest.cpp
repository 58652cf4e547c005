#include "ShellFixture.h"
#include "platform/CKeyringPassword.h"
#include "settings/CBroadcastSettings.h"
#include "settings/SettingsKeys.h"
#include "ui/air/CBroadcastController.h"
#include "ui/options/CBroadcastPage.h"
#include "ui/options/COptionsDialog.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

#include <filesystem>

namespace {

QLineEdit* LineAfter(QWidget& page, const QString& label) {
    for (QLabel* text : page.findChildren<QLabel*>()) {
        if (text->text() == label) {
            return qobject_cast<QLineEdit*>(text->buddy());
        }
    }
    return nullptr;
}

// The Broadcast page stores the server in the settings and the password in the keyring
// (or, where none answers, for the run only, saying so), never in the settings.
TEST(BroadcastControllerTest, OptionsPageKeepsThePasswordOutOfTheSettings) {
    TempDir dir;
    ::setenv("MIXOREL_HOME", dir.Path().c_str(), 1);
    CMemorySettingsStore store;
    ScriptedPrompt prompt;
    COptionsDialog dialog(prompt, store, {});
    auto* page = dialog.findChild<CBroadcastPage*>();
    ASSERT_NE(page, nullptr);
    LineAfter(*page, QStringLiteral("Ser&ver:"))->setText(QStringLiteral("radio.example"));
    LineAfter(*page, QStringLiteral("&Mount:"))->setText(QStringLiteral("night.ogg"));
    LineAfter(*page, QStringLiteral("Pass&word:"))->setText(QStringLiteral("s3cret"));
    ASSERT_TRUE(dialog.Apply());

    CBroadcastSettings stored;
    stored.Load(store);
    EXPECT_EQ(stored.m_strHost, "radio.example");
    EXPECT_EQ(stored.m_strMount, "/night.ogg");
    for (const std::string_view key :
         {SettingsKeys::kBroadcastHost, SettingsKeys::kBroadcastMount, SettingsKeys::kBroadcastUser,
          SettingsKeys::kBroadcastStreamName, SettingsKeys::kBroadcastGenre,
          SettingsKeys::kBroadcastRecordFolder, std::string_view("password")}) {
        EXPECT_NE(store.GetProfileString(SettingsKeys::kSectionBroadcast, key, ""), "s3cret");
    }
    const std::string entry =
        CKeyringPassword::EntryName("source", "radio.example", 8000, "/night.ogg");
    EXPECT_EQ(CKeyringPassword::Read(entry), "s3cret");
}

// The menu, the toolbar button and the status pane; recording alone needs no password.
TEST(BroadcastControllerTest, MenuButtonAndPaneStartAndStopARecording) {
    TempDir dir;
    CMemorySettingsStore store;
    CBroadcastSettings settings;
    settings.m_bStream = false;
    settings.m_bRecord = true;
    settings.m_nRecordSplit = CBroadcastSettings::kSplitShow;
    settings.m_strRecordFolder = dir.File("shows");
    settings.Save(store);
    ScriptedPrompt prompt;
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.menuBar()->addMenu(QStringLiteral("&Window"));
    window.addToolBar(QStringLiteral("Toolbar"))->setObjectName(QStringLiteral("MainToolBar"));
    bool optionsShown = false;
    auto* controller =
        new CBroadcastController(window, store, prompt, [&optionsShown] { optionsShown = true; });

    const QList<QAction*> menus = window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[1]->text(), QStringLiteral("&Broadcast"));
    EXPECT_TRUE(window.findChild<QToolBar*>(QStringLiteral("MainToolBar"))
                    ->actions()
                    .contains(controller->ToggleAction()));
    menus[1]->menu()->actions().last()->trigger();
    EXPECT_TRUE(optionsShown);

    controller->ToggleAction()->trigger();
    EXPECT_TRUE(controller->IsOnAir());
    EXPECT_TRUE(controller->ToggleAction()->isChecked());
    EXPECT_EQ(controller->StatusPane()->text(), QStringLiteral("Recording 0:00:00"));
    controller->ToggleAction()->trigger();
    EXPECT_FALSE(controller->IsOnAir());
    EXPECT_FALSE(controller->ToggleAction()->isChecked());
    EXPECT_EQ(controller->StatusPane()->text(), QString());
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("shows"))) {
        EXPECT_EQ(entry.path().extension(), ".ogg");
        ++files;
    }
    EXPECT_EQ(files, 1);
    EXPECT_TRUE(prompt.asked.empty());
}

} // namespace
