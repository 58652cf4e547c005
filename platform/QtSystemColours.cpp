#include "QtSystemColours.h"

#include "settings/SystemColours.h"

#include <QColor>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPalette>
#include <memory>

namespace {

std::uint32_t ToColorRef(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) |
           (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

QPalette::ColorRole RoleOf(int index) {
    switch (index) {
    case ISystemColours::kDesktop:
        return QPalette::Highlight;
    case ISystemColours::kWindow:
        return QPalette::Base;
    case ISystemColours::kWindowText:
        return QPalette::Text;
    default:
        return QPalette::HighlightedText;
    }
}

} // namespace

QtSystemColours::QtSystemColours() {
    Refresh();
}

void QtSystemColours::Refresh() {
    const bool bGui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    const QPalette palette = bGui ? QGuiApplication::palette() : QPalette();
    for (std::size_t i = 0; i < kIndices.size(); ++i) {
        const std::uint32_t colour =
            bGui ? ToColorRef(palette.color(QPalette::Active, RoleOf(kIndices[i])))
                 : m_defaults.GetSystemColour(kIndices[i]);
        m_acrColours[i].store(colour, std::memory_order_relaxed);
    }
}

std::uint32_t QtSystemColours::GetSystemColour(int index) const {
    for (std::size_t i = 0; i < kIndices.size(); ++i) {
        if (kIndices[i] == index) {
            return m_acrColours[i].load(std::memory_order_relaxed);
        }
    }
    return m_defaults.GetSystemColour(index);
}

void QtSystemColours::InstallProcessColours() {
    SetSystemColours(std::make_shared<QtSystemColours>());
}
