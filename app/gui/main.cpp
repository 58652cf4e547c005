// `mixorel`: the desktop program.
#include "platform/gst/CGstMciContextFactory.h"
#include "ui/CInstanceLink.h"
#include "ui/CMixorelApp.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mixorel"));
    QApplication::setApplicationVersion(QStringLiteral(MIXOREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("mixorel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/mixorel/mixorel.png")));
    QStringList files = QApplication::arguments();
    files.removeFirst();
    const QString name = CInstanceLink::DefaultName();
    if (CInstanceLink::HandOver(name, files)) {
        return 0;
    }
    SetMciContextFactory(std::make_shared<CGstMciContextFactory>());
    CMixorelApp::Options options;
    options.instanceName = name;
    CMixorelApp app(std::move(options));
    if (!app.InitInstance(files)) {
        return 1;
    }
    QApplication::exec();
    return app.ExitInstance();
}
