// `mixorel`: the desktop program.
#include "platform/analysis/CGstLoudnessAnalyser.h"
#include "platform/gst/CGstMciContextFactory.h"
#include "ui/shell/CInstanceLink.h"
#include "ui/shell/CMixorelApp.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <ctime>

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
    options.pAnalyser = std::make_shared<CGstLoudnessAnalyser>();
    CMixorelApp app(std::move(options));
    if (!app.InitInstance(files)) {
        return 1;
    }
    // For the start-up benchmark: the wall-clock time once the window is shown, then out.
    if (qEnvironmentVariableIsSet("MIXOREL_STARTUP_PROBE")) {
        QTimer::singleShot(0, [] {
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            std::fprintf(stderr, "shown %lld\n",
                         static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            QApplication::quit();
        });
    }
    // A quit asked for during the start-up steps was taken by a nested loop (a message
    // box); a fresh event loop would never see it.
    if (!app.HasEnded()) {
        QApplication::exec();
    }
    return app.ExitInstance();
}
