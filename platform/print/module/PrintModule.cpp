// A loadable module that prints a playlist to a PDF file, for mixorel-cli, which keeps
// Qt out of its process unless a command needs it. No display is needed: without a
// platform chosen by the user, Qt's offscreen platform serves.
#include "platform/print/CListPrinter.h"

#include <QGuiApplication>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

void EnsureApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    static int argc = 1;
    static char name[] = "mixorel-cli";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> application =
        std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

// True when the file was written; otherwise false with the reason in error.
extern "C" __attribute__((visibility("default"))) bool
MixorelPrintPlaylistPdf(const CListPrintJob* job, const char* path, const char* pageSize,
                        std::string* error) {
    EnsureApplication();
    CListPrinter printer(QGuiApplication::font(), 0);
    QString reason;
    if (!printer.PrintToPdf(*job, QString::fromUtf8(path), QString::fromUtf8(pageSize), reason)) {
        *error = reason.toStdString();
        return false;
    }
    return true;
}
