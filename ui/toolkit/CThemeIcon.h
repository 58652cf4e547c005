#pragma once

#include <QIcon>
#include <QStyle>

// Icons of the toolbars and menus: the desktop's icon theme first (the plain name, then
// its symbolic form, as GNOME's theme ships it), else a built-in icon of the style, so a
// desktop without a theme still shows a picture on every button.
class CThemeIcon {
public:
    static QIcon Get(const char* themeName, QStyle::StandardPixmap fallback);
    // A padlock, for "lock" where neither the theme nor the style has one.
    static QIcon Padlock();
};
