#include "ui/playlist/CListPrintCommand.h"

#include "catalogue/CHtmlListWriter.h"
#include "platform/print/CListPrinter.h"

#include <QHeaderView>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTableView>

CListPrintJob CListPrintCommand::MakeJob(const QTableView& list, const QString& title) {
    CListPrintJob job;
    job.strTitle = title.toStdString();
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
    const CListPrintJob job = MakeJob(list, title);
    if (job.nLines == 0) {
        return false;
    }
    printer.setDocName(title);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    CListPrinter printerLayout(list.font(), ScreenLineHeight(list), list.logicalDpiY());
    return printerLayout.Print(printer, job) > 0;
}

bool CListPrintCommand::Preview(QTableView& list, const QString& title, QPrinter& printer,
                                QWidget* parent) {
    const CListPrintJob job = MakeJob(list, title);
    if (job.nLines == 0) {
        return false;
    }
    printer.setDocName(title);
    QPrintPreviewDialog preview(&printer, parent);
    CListPrinter printerLayout(list.font(), ScreenLineHeight(list), list.logicalDpiY());
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter* target) { printerLayout.Print(*target, job); });
    preview.exec();
    return true;
}
