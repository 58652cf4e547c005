#include "CListPrinter.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>

CListPrinter::CListPrinter(const QFont& listFont, int screenLineHeight, int screenDpiY)
    : m_font(listFont), m_nScreenLineHeight(screenLineHeight), m_nScreenDpiY(screenDpiY) {
    // Sizes below are in screen pixels; a point-sized font is converted once.
    if (m_font.pixelSize() <= 0) {
        const double points = m_font.pointSizeF() > 0 ? m_font.pointSizeF() : 9.0;
        m_font.setPixelSize(std::max(1, static_cast<int>(points * m_nScreenDpiY / 72.0 + 0.5)));
    }
    if (m_nScreenLineHeight <= 0) {
        m_nScreenLineHeight = QFontMetrics(m_font).height() + 4;
    }
}

bool CListPrinter::Prepare(const QPagedPaintDevice& device, const CListPrintJob& job) {
    QFontMetrics screen(m_font);
    int itemWidth = 0;
    for (int width : job.anWidth) {
        itemWidth += std::max(0, width);
    }
    CListPrintLayout::Metrics metrics;
    metrics.nPrinterWidth = device.width();
    metrics.nPrinterHeight = device.height();
    metrics.nPrinterDpiY = device.logicalDpiY();
    metrics.nScreenDpiY = m_nScreenDpiY;
    metrics.nAverageCharWidth = screen.averageCharWidth();
    metrics.nItemWidth = itemWidth;
    metrics.nLineHeight = m_nScreenLineHeight;
    return job.nLines > 0 && m_layout.Compute(metrics, job.nLines) && m_layout.GetPageCount() > 0;
}

int CListPrinter::Print(QPagedPaintDevice& device, const CListPrintJob& job) {
    if (!Prepare(device, job)) {
        return 0;
    }
    QPainter painter;
    if (!painter.begin(&device)) {
        return 0;
    }
    const int count = m_layout.GetPageCount();
    const int first = std::clamp(job.nFirstPage, 1, count);
    const int last = job.nLastPage <= 0 ? count : std::clamp(job.nLastPage, first, count);
    for (int page = first; page <= last; ++page) {
        if (page > first) {
            device.newPage();
        }
        PrintPage(painter, job, page);
    }
    painter.end();
    return last - first + 1;
}

bool CListPrinter::PrintToPdf(const CListPrintJob& job, const QString& path,
                              const QString& pageSize, QString& error) {
    if (job.nLines <= 0) {
        error = QStringLiteral("the playlist is empty: nothing to print");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Mixorel"));
        writer.setTitle(QString::fromStdString(job.strTitle));
        writer.setResolution(600);
        const QPageSize size(pageSize.compare(QStringLiteral("Letter"), Qt::CaseInsensitive) == 0
                                 ? QPageSize::Letter
                                 : QPageSize::A4);
        writer.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
                                         QPageLayout::Millimeter));
        pages = Print(writer, job);
    }
    if (pages == 0) {
        file.cancelWriting();
        error = QStringLiteral("the list does not fit the page");
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

// A text wider than its room ends in an ellipsis rather than running into the next.
QString CListPrinter::Elided(const QPainter& painter, const QString& text, int width) {
    return painter.fontMetrics().elidedText(text, Qt::ElideRight, width);
}

QRect CListPrinter::DeviceRect(int left, int top, int right, int bottom) const {
    const int h = m_layout.GetHorizontalScale();
    const int v = m_layout.GetVerticalScale();
    return QRect(QPoint(left * h, top * v), QPoint(right * h - 1, bottom * v - 1));
}

QFont CListPrinter::ScaledFont(bool title) const {
    QFont font(m_font);
    const int pixels = m_font.pixelSize() * m_layout.GetVerticalScale();
    font.setPixelSize(title ? pixels * 3 / 2 : pixels);
    if (title) {
        font.setWeight(QFont::Bold);
    }
    return font;
}

void CListPrinter::DrawRule(QPainter& painter, int y) const {
    const QRect rule = DeviceRect(m_layout.GetLeft(), y, m_layout.GetRight(), y + 1);
    painter.drawLine(rule.left(), rule.top(), rule.right(), rule.top());
}

void CListPrinter::PrintPage(QPainter& painter, const CListPrintJob& job, int page) const {
    const QFont saved = painter.font();
    const int left = m_layout.GetLeft();
    const int right = m_layout.GetRight();
    const int line = m_layout.GetLineHeight();
    const int top = m_layout.GetTop();
    const int singleLine = Qt::TextSingleLine | Qt::AlignVCenter;

    painter.setFont(ScaledFont(true));
    const QRect titleLine = DeviceRect(left, top, right, top + line);
    painter.drawText(titleLine, Qt::AlignRight | singleLine,
                     Elided(painter, QString::fromStdString(job.strTitle), titleLine.width()));

    painter.setFont(ScaledFont(false));
    const int footer = m_layout.GetFooterTop();
    DrawRule(painter, footer);
    const QRect footerLine = DeviceRect(left, footer + line / 2, right, footer + line / 2 + line);
    painter.drawText(footerLine, Qt::AlignLeft | singleLine, QString::number(page));
    painter.drawText(footerLine, Qt::AlignRight | singleLine, QString::fromStdString(job.strDate));

    const int indent = QFontMetrics(m_font).horizontalAdvance(QLatin1Char(' ')) / 2;
    auto drawRow = [&](int rowTop, const std::function<QString(int)>& text, int pad) {
        int x = left;
        for (int column : job.anOrder) {
            const int width = column >= 0 && column < static_cast<int>(job.anWidth.size())
                                  ? job.anWidth[static_cast<std::size_t>(column)]
                                  : 0;
            if (width <= 0) {
                continue; // a hidden column takes no room
            }
            const QRect cell = DeviceRect(x + pad, rowTop, x + width, rowTop + line);
            painter.save();
            painter.setClipRect(cell);
            painter.drawText(cell, Qt::AlignLeft | singleLine,
                             Elided(painter, text(column), cell.width()));
            painter.restore();
            x += width;
        }
        DrawRule(painter, rowTop + line);
    };
    drawRow(
        m_layout.GetHeadingTop(),
        [&](int column) {
            return column < static_cast<int>(job.astrHeadings.size())
                       ? QString::fromStdString(job.astrHeadings[static_cast<std::size_t>(column)])
                       : QString();
        },
        0);
    for (int i = m_layout.GetFirstLine(page); i < m_layout.GetEndLine(page); ++i) {
        drawRow(
            m_layout.GetRowTop(i),
            [&](int column) {
                return job.cellText ? QString::fromStdString(job.cellText(i, column)) : QString();
            },
            indent);
    }
    painter.setFont(saved);
}
