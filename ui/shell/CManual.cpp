#include "ui/shell/CManual.h"

#include <QCoreApplication>
#include <QFileInfo>

QString CManual::IndexPath() {
    const QString app = QCoreApplication::applicationDirPath();
    const QString candidates[] = {
        app + QStringLiteral("/../share/mixorel/manual/index.html"),
        QStringLiteral(MIXOREL_MANUAL_DIR "/index.html"),
        QStringLiteral(MIXOREL_SOURCE_MANUAL_DIR "/index.html"),
    };
    for (const QString& path : candidates) {
        if (QFileInfo::exists(path)) {
            return QFileInfo(path).canonicalFilePath();
        }
    }
    return {};
}
