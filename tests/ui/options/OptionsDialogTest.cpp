#include "ShellFixture.h"
#include "ui/options/COptionsDialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
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

// The letter after a single "&" (lower case), or 0; "&&" is a literal ampersand.
QChar Mnemonic(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (text[i + 1] != QLatin1Char('&')) {
                return text[i + 1].toLower();
            }
            ++i;
        }
    }
    return QChar();
}

// The welcome text stays until a page is picked, even once the tree has the focus; on
// every page each mnemonic is shown (a label has a buddy) and used once, the OK and
// Cancel buttons included.
TEST(OptionsDialogTest, WelcomeFirstAndEveryPageHasDistinctShownMnemonics) {
    TempDir dir;
    ::setenv("MIXOREL_HOME", dir.Path().c_str(), 1);
    CMemorySettingsStore store;
    ScriptedPrompt prompt;
    COptionsDialog dialog(prompt, store, {});
    auto* tree = dialog.findChild<QTreeWidget*>();
    auto* stack = dialog.findChild<QStackedWidget*>();
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(stack, nullptr);
    dialog.show();
    tree->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(stack->currentIndex(), COptionsPages::kPageCount) << "the welcome text";

    QStringList common;
    for (QAbstractButton* button : dialog.findChild<QDialogButtonBox*>()->buttons()) {
        common << button->text();
    }
    for (int page = 0; page < COptionsPages::kPageCount; ++page) {
        SCOPED_TRACE(page);
        tree->setCurrentItem(tree->topLevelItem(page));
        ASSERT_EQ(stack->currentIndex(), page);
        QStringList texts = common;
        for (QLabel* label : stack->widget(page)->findChildren<QLabel*>()) {
            if (label->textFormat() == Qt::RichText || label->text().startsWith(QLatin1Char('<'))) {
                continue;
            }
            if (label->buddy() != nullptr) {
                texts << label->text();
            } else {
                EXPECT_TRUE(Mnemonic(label->text()).isNull())
                    << "an \"&\" shown as it is: " << label->text().toStdString();
            }
        }
        for (QAbstractButton* button : stack->widget(page)->findChildren<QAbstractButton*>()) {
            texts << button->text();
        }
        std::map<QChar, QString> used;
        for (const QString& text : texts) {
            const QChar letter = Mnemonic(text);
            if (!letter.isNull()) {
                const auto [at, fresh] = used.emplace(letter, text);
                EXPECT_TRUE(fresh) << text.toStdString() << " and " << at->second.toStdString();
            }
        }
    }
}

} // namespace
