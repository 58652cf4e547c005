#include "ShellFixture.h"
#include "ui/options/COptionsDialog.h"

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

} // namespace
