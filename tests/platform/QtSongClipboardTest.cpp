#include "platform/QtSongClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class QtSongClipboardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen")); }

    int m_argc = 1;
    char m_name[8] = "tests";
    char* m_argv[2] = {m_name, nullptr};
    QGuiApplication m_app{m_argc, m_argv};
    QtSongClipboard m_clipboard;
};

// Song data travels under its own MIME type, and a file list joins it for file managers.
TEST_F(QtSongClipboardTest, FileListJoinsTheSongDataForFileManagers) {
    const std::vector<std::uint8_t> bytes{1, 0, 0, 0, 0xFF, 0x00, 0x7F};
    ASSERT_TRUE(m_clipboard.SetData(ISongClipboard::kSongFormat, bytes));
    ASSERT_TRUE(m_clipboard.SetFileList({"/music/a b.mp3", "/music/Ünï.mp3"}, true, true));
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_TRUE(mime->hasFormat(QStringLiteral("application/x-mixorel2001-10")));
    EXPECT_EQ(QtSongClipboard::MimeTypeFor(ISongClipboard::kDragFormat),
              QStringLiteral("application/x-mixorel2001-10drag"));
    const QList<QUrl> urls = mime->urls();
    ASSERT_EQ(urls.size(), 2);
    EXPECT_EQ(urls[0].toLocalFile(), QStringLiteral("/music/a b.mp3"));
    EXPECT_EQ(urls[1].toLocalFile(), QString::fromUtf8("/music/Ünï.mp3"));
    EXPECT_EQ(mime->data(QStringLiteral("x-special/gnome-copied-files")),
              QByteArrayLiteral("cut\nfile:///music/a%20b.mp3\nfile:///music/%C3%9Cn%C3%AF.mp3"));
    std::vector<std::uint8_t> read;
    ASSERT_TRUE(m_clipboard.GetData(ISongClipboard::kSongFormat, read));
    EXPECT_EQ(read, bytes);
    EXPECT_FALSE(m_clipboard.GetData(ISongClipboard::kDragFormat, read));

    m_clipboard.RemoveData(ISongClipboard::kSongFormat);
    EXPECT_FALSE(m_clipboard.GetData(ISongClipboard::kSongFormat, read));
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->urls().size(), 2);

    ASSERT_TRUE(m_clipboard.SetData(ISongClipboard::kSongFormat, {1}));
    ASSERT_TRUE(m_clipboard.SetFileList({"/music/c.mp3"}, false, false));
    EXPECT_FALSE(m_clipboard.GetData(ISongClipboard::kSongFormat, read));
}

} // namespace
