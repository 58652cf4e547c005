#include "ui/toolkit/CListFont.h"

#include <QApplication>
#include <QFontDatabase>

QFont CListFont::Make(const std::string& face, int tenthsOfPoint) {
    return Make(face, tenthsOfPoint, QFontDatabase::families(), QApplication::font());
}

QFont CListFont::Make(const std::string& face, int tenthsOfPoint, const QStringList& families,
                      const QFont& desktop) {
    QFont font = desktop;
    const QString wanted = QString::fromStdString(face).trimmed();
    for (const QString& family : families) {
        if (family.compare(wanted, Qt::CaseInsensitive) == 0) {
            font.setFamily(family);
            break;
        }
    }
    if (tenthsOfPoint > 0) {
        font.setPointSizeF(tenthsOfPoint / 10.0);
    }
    return font;
}
