#include "ui/playlist/CListPrintCommand.h"

#include "catalogue/CHtmlListWriter.h"
#include "platform/print/CListPrinter.h"

#include <QHeaderView>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTableView>

#include <algorithm>

CListPrintJob CListPrintCommand::MakeJob(const QTableView& list, const QString& title) {
    CListPrintJob job;
    job.strTitle = PlainTitle(title).toStdString();
    job.strDate = CHtmlListWriter::NowText();
    const QHeaderView* header = list.horizontalHeader();
    const QAbstractItemModel* model = list.model();
    const int columns = model != nullptr ? model->columnCount() : 0;
    for (int column = 0; column < columns; ++column) {
        job.astrHeadings.push_back(
            model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
        job.anWidth.push_back(header->isSectionHidden(column) ? 0 : header->sectionSize(column));
    }
    for (int visual = 0; visual < columns; ++visual) {
        job.anOrder.push_back(header->logicalIndex(visual));
    }
    job.nLines = model != nullptr ? model->rowCount() : 0;
    job.cellText = [model](int line, int column) {
        return model->data(model->index(line, column), Qt::DisplayRole).toString().toStdString();
    };
    return job;
}

namespace {

int ScreenLineHeight(const QTableView& list) {
    const int rows = list.model() != nullptr ? list.model()->rowCount() : 0;
    return rows > 0 ? list.rowHeight(0) : 0;
}

} // namespace

bool CListPrintCommand::Print(QTableView& list, const QString& title, QPrinter& printer,
                              QWidget* parent) {
    CListPrintJob job = MakeJob(list, title);
    if (job.nLines == 0) {
        return false;
    }
    printer.setDocName(PlainTitle(title));
    CListPrinter printerLayout(list.font(), ScreenLineHeight(list), list.logicalDpiY());
    QPrintDialog dialog(&printer, parent);
    OfferPages(dialog,
               printerLayout.Prepare(printer, job) ? printerLayout.GetLayout().GetPageCount() : 1);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    TakePages(printer, job);
    return printerLayout.Print(printer, job) > 0;
}

QString CListPrintCommand::PlainTitle(QString title) {
    title.remove(QStringLiteral("[*]"));
    title = title.trimmed();
    if (title.endsWith(QLatin1Char('*'))) {
        title.chop(1);
    }
    return title.trimmed();
}

void CListPrintCommand::OfferPages(QPrintDialog& dialog, int pages) {
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(1, std::max(1, pages));
    dialog.printer()->setFromTo(1, std::max(1, pages));
    dialog.printer()->setPrintRange(QPrinter::AllPages);
}

void CListPrintCommand::TakePages(const QPrinter& printer, CListPrintJob& job) {
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        job.nFirstPage = printer.fromPage();
        job.nLastPage = printer.toPage();
    } else {
        job.nFirstPage = 1;
        job.nLastPage = 0;
    }
}

bool CListPrintCommand::Preview(QTableView& list, const QString& title, QPrinter& printer,
                                QWidget* parent) {
    const CListPrintJob job = MakeJob(list, title);
    if (job.nLines == 0) {
        return false;
    }
    printer.setDocName(PlainTitle(title));
    QPrintPreviewDialog preview(&printer, parent);
    CListPrinter printerLayout(list.font(), ScreenLineHeight(list), list.logicalDpiY());
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter* target) {
                         // Printing from the preview honours the range of its dialog.
                         CListPrintJob pages = job;
                         TakePages(*target, pages);
                         printerLayout.Print(*target, pages);
                     });
    preview.exec();
    return true;
}
