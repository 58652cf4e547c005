#include "ShellFixture.h"

#include "ui/playlist/CListPrintCommand.h"

#include <QPrintDialog>
#include <QPrinter>

namespace {

struct TitleCase {
    const char* shown;
    const char* printed;
};

class PrintTitleTest : public ShellTest, public ::testing::WithParamInterface<TitleCase> {};

// The printed title is the playlist's name, without the mark of unsaved changes.
TEST_P(PrintTitleTest, PrintsTheNameWithoutTheChangedMark) {
    Start();
    CMixorel2001View& view = OpenView("party", 3);
    const CListPrintJob job = CListPrintCommand::MakeJob(view, QString::fromUtf8(GetParam().shown));
    EXPECT_EQ(job.strTitle, GetParam().printed);
    EXPECT_EQ(job.nLines, 3);
}

INSTANTIATE_TEST_SUITE_P(Cases, PrintTitleTest,
                         ::testing::Values(TitleCase{"party.qmx", "party.qmx"},
                                           TitleCase{"party.qmx *", "party.qmx"},
                                           TitleCase{"party.qmx[*]", "party.qmx"},
                                           TitleCase{"Mixorel1*", "Mixorel1"}));

// The dialog offers the pages the list fills; the range chosen there reaches the job.
TEST(PrintRangeTest, DialogOffersThePagesAndTheChosenRangeIsPrinted) {
    QPrinter printer;
    QPrintDialog dialog(&printer);
    CListPrintCommand::OfferPages(dialog, 4);
    EXPECT_EQ(dialog.minPage(), 1);
    EXPECT_EQ(dialog.maxPage(), 4);
    EXPECT_TRUE(dialog.testOption(QAbstractPrintDialog::PrintPageRange));
    CListPrintJob job;
    CListPrintCommand::TakePages(printer, job);
    EXPECT_EQ(job.nFirstPage, 1);
    EXPECT_EQ(job.nLastPage, 0);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    CListPrintCommand::TakePages(printer, job);
    EXPECT_EQ(job.nFirstPage, 2);
    EXPECT_EQ(job.nLastPage, 3);
}

} // namespace
