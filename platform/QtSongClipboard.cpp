#include "QtSongClipboard.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace {

QClipboard* Clipboard() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
               ? QGuiApplication::clipboard()
               : nullptr;
}

// A copy of what the clipboard holds now, except one type.
QMimeData* CopyOfContents(const QClipboard& clipboard, const QString& except) {
    auto* copy = new QMimeData;
    if (const QMimeData* current = clipboard.mimeData(); current != nullptr) {
        for (const QString& type : current->formats()) {
            if (type != except) {
                copy->setData(type, current->data(type));
            }
        }
    }
    return copy;
}

} // namespace

QString QtSongClipboard::MimeTypeFor(const std::string& format) {
    return QStringLiteral("application/x-") + QString::fromStdString(format).toLower();
}

bool QtSongClipboard::SetData(const std::string& format, const std::vector<std::uint8_t>& data) {
    QClipboard* clipboard = Clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    auto* mime = new QMimeData;
    mime->setData(MimeTypeFor(format), QByteArray(reinterpret_cast<const char*>(data.data()),
                                                  static_cast<qsizetype>(data.size())));
    clipboard->setMimeData(mime);
    return true;
}

bool QtSongClipboard::SetFileList(const std::vector<std::string>& paths, bool keepContents,
                                  bool cut) {
    QClipboard* clipboard = Clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    QMimeData* mime = keepContents ? CopyOfContents(*clipboard, QString()) : new QMimeData;
    QList<QUrl> urls;
    QByteArray gnome = cut ? QByteArrayLiteral("cut") : QByteArrayLiteral("copy");
    for (const std::string& path : paths) {
        const QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
        urls.append(url);
        gnome += '\n' + url.toEncoded();
    }
    mime->setUrls(urls);
    mime->setData(QStringLiteral("x-special/gnome-copied-files"), gnome);
    clipboard->setMimeData(mime);
    return true;
}

bool QtSongClipboard::GetData(const std::string& format, std::vector<std::uint8_t>& data) {
    QClipboard* clipboard = Clipboard();
    const QMimeData* mime = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    const QString type = MimeTypeFor(format);
    if (mime == nullptr || !mime->hasFormat(type)) {
        return false;
    }
    const QByteArray bytes = mime->data(type);
    data.assign(bytes.begin(), bytes.end());
    return true;
}

void QtSongClipboard::RemoveData(const std::string& format) {
    QClipboard* clipboard = Clipboard();
    const QString type = MimeTypeFor(format);
    if (clipboard == nullptr || clipboard->mimeData() == nullptr ||
        !clipboard->mimeData()->hasFormat(type)) {
        return;
    }
    clipboard->setMimeData(CopyOfContents(*clipboard, type));
}
