#pragma once

#include "catalogue/CListPrintJob.h"
#include "catalogue/CListPrintLayout.h"

#include <QFont>
#include <QString>

class QPagedPaintDevice;
class QPainter;

// Lays a playlist out on paper the way the list shows it: the same columns in the same
// order and widths, scaled so that the list's width fits the page, with a title line,
// a heading row, one row per line and a footer with the page number and the date.
class CListPrinter {
public:
    // The list's look on the screen: its font and the height of one of its lines (0: as
    // a list line of that font).
    CListPrinter(const QFont& listFont, int screenLineHeight, int screenDpiY = 96);

    // The layout for a device; false when nothing can be printed (an empty list, or a
    // list too wide for the page).
    bool Prepare(const QPagedPaintDevice& device, const CListPrintJob& job);
    const CListPrintLayout& GetLayout() const { return m_layout; }
    // Prints the job's pages (every page when its range says so); answers the number
    // printed (0: nothing, no page started).
    int Print(QPagedPaintDevice& device, const CListPrintJob& job);
    // Writes the pages to a PDF file, replacing it atomically; page size "A4" or
    // "Letter". False with the reason in error; an empty list writes no file.
    bool PrintToPdf(const CListPrintJob& job, const QString& path, const QString& pageSize,
                    QString& error);

private:
    void PrintPage(QPainter& painter, const CListPrintJob& job, int page) const;
    void DrawRule(QPainter& painter, int y) const;
    QRect DeviceRect(int left, int top, int right, int bottom) const;
    QFont ScaledFont(bool title) const;
    static QString Elided(const QPainter& painter, const QString& text, int width);

    QFont m_font;
    int m_nScreenLineHeight;
    int m_nScreenDpiY;
    CListPrintLayout m_layout;
};
