#include "ui/toolkit/CThemeIcon.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

QIcon CThemeIcon::Get(const char* themeName, QStyle::StandardPixmap fallback) {
    const QString name = QString::fromLatin1(themeName);
    for (const QString& candidate : {name, name + QStringLiteral("-symbolic")}) {
        if (QIcon::hasThemeIcon(candidate)) {
            return QIcon::fromTheme(candidate);
        }
    }
    return QApplication::style()->standardIcon(fallback);
}

QIcon CThemeIcon::Padlock() {
    for (const char* name : {"changes-prevent", "system-lock-screen"}) {
        const QIcon themed = Get(name, QStyle::SP_CustomBase);
        if (!themed.isNull()) {
            return themed;
        }
    }
    QIcon icon;
    for (const int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const double u = size / 16.0;
        painter.setPen(QPen(QColor(90, 90, 90), 1.6 * u));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(4.5 * u, 1.5 * u, 7 * u, 8 * u), 0, 180 * 16);
        painter.drawLine(QPointF(4.5 * u, 5.5 * u), QPointF(4.5 * u, 7.5 * u));
        painter.drawLine(QPointF(11.5 * u, 5.5 * u), QPointF(11.5 * u, 7.5 * u));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(200, 150, 20));
        painter.drawRoundedRect(QRectF(3 * u, 7 * u, 10 * u, 7.5 * u), 1.2 * u, 1.2 * u);
        painter.setBrush(QColor(80, 60, 10));
        painter.drawEllipse(QRectF(7 * u, 9.2 * u, 2 * u, 2 * u));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
