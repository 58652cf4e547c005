#pragma once

#include "catalogue/CListPrintJob.h"

#include <QString>

class QPrintDialog;
class QPrinter;
class QTableView;
class QWidget;

// "&Print...\tCtrl+P" and "Print Previe&w" of a playlist window: the list printed the
// way the table shows it (its columns in their order and widths, a hidden column taking
// no room, the cell texts, the font). An empty list prints nothing and shows no dialog.
class CListPrintCommand {
public:
    static constexpr const char* kPrintText = "&Print...\tCtrl+P";
    static constexpr const char* kPreviewText = "Print Previe&w";

    // The job for the table as it is shown now.
    static CListPrintJob MakeJob(const QTableView& list, const QString& title);
    // The print dialog, then the pages; false when nothing was printed. The printer is the
    // run's, as "P&rint Setup..." left it.
    static bool Print(QTableView& list, const QString& title, QPrinter& printer, QWidget* parent);
    static bool Preview(QTableView& list, const QString& title, QPrinter& printer, QWidget* parent);
    // The title without the window's unsaved-changes mark ("[*]" or a trailing "*").
    static QString PlainTitle(QString title);
    // The dialog offers pages 1 to pages, all of them chosen.
    static void OfferPages(QPrintDialog& dialog, int pages);
    // The range the user chose in the dialog (all pages unless a range was chosen).
    static void TakePages(const QPrinter& printer, CListPrintJob& job);
};
