#include "platform/QtSystemColours.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/CSettings.h"
#include "settings/SystemColours.h"

#include <QByteArray>
#include <QColor>
#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(QtSystemColoursTest, DefaultsWithoutAGuiApplication) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    QtSystemColours colours;
    EXPECT_EQ(colours.GetSystemColour(ISystemColours::kButtonHighlight), 0x00FFFFFFu);
    EXPECT_EQ(colours.GetSystemColour(ISystemColours::kDesktop), 0x00808000u);
    EXPECT_EQ(colours.GetSystemColour(ISystemColours::kWindowText), 0u);
    EXPECT_EQ(colours.GetSystemColour(ISystemColours::kWindow), 0x00FFFFFFu);
    EXPECT_EQ(colours.GetSystemColour(77), 0u);
}

TEST(QtSystemColoursTest, ReadsTheApplicationPalette) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    int argc = 1;
    char name[] = "platform_tests";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    QPalette palette = QGuiApplication::palette();
    palette.setColor(QPalette::Highlight, QColor(0x10, 0x20, 0x30));
    palette.setColor(QPalette::HighlightedText, QColor(0xF1, 0xF2, 0xF3));
    palette.setColor(QPalette::Base, QColor(0x01, 0x02, 0x03));
    palette.setColor(QPalette::Text, QColor(0xA1, 0xA2, 0xA3));
    QGuiApplication::setPalette(palette);

    auto colours = std::make_shared<QtSystemColours>();
    EXPECT_EQ(colours->GetSystemColour(ISystemColours::kDesktop), 0x00302010u);
    EXPECT_EQ(colours->GetSystemColour(ISystemColours::kButtonHighlight), 0x00F3F2F1u);
    EXPECT_EQ(colours->GetSystemColour(ISystemColours::kWindow), 0x00030201u);
    EXPECT_EQ(colours->GetSystemColour(ISystemColours::kWindowText), 0x00A3A2A1u);

    // The settings defaults follow the provider in force.
    SetSystemColours(colours);
    CMemorySettingsStore store;
    CSettings settings(store);
    settings.Load();
    EXPECT_EQ(settings.m_crNextToScheduleBk, 0x00302010u);
    // The next song to play stands apart from the selection (the palette's highlight).
    EXPECT_EQ(settings.m_crNextToPlayBk, 0x00808000u);
    EXPECT_EQ(settings.m_crNextToScheduleFg, 0x00F3F2F1u);

    palette.setColor(QPalette::Highlight, QColor(0x40, 0x50, 0x60));
    QGuiApplication::setPalette(palette);
    EXPECT_EQ(colours->GetSystemColour(ISystemColours::kDesktop), 0x00302010u);
    colours->Refresh();
    EXPECT_EQ(colours->GetSystemColour(ISystemColours::kDesktop), 0x00605040u);
    SetSystemColours(nullptr);
}

} // namespace
