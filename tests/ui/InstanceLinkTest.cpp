#include "ShellFixture.h"
#include "ui/CInstanceLink.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QString UniqueName() {
    return QStringLiteral("mixorel-test-%1").arg(QCoreApplication::applicationPid());
}

TEST(InstanceLinkTest, SecondProgramHandsItsFilesOver) {
    CInstanceLink link;
    ASSERT_TRUE(link.Listen(UniqueName()));
    QSignalSpy received(&link, &CInstanceLink::FilesReceived);
    ASSERT_TRUE(CInstanceLink::HandOver(
        UniqueName(), {QStringLiteral("/music/a.qmx"), QStringLiteral("/music/b c.qma")}));
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(received.front().front().toStringList(),
              (QStringList{QStringLiteral("/music/a.qmx"), QStringLiteral("/music/b c.qma")}));
}

TEST_F(ShellTest, RunningProgramOpensTheHandedFiles) {
    const QString name = UniqueName() + QStringLiteral("-app");
    Start({QString::fromStdString(MakePlaylist("first"))}, name);
    ASSERT_TRUE(CInstanceLink::HandOver(name, {QString::fromStdString(MakePlaylist("second"))}));
    WaitUntil([&] { return Frame().GetPlaylists().size() >= 2; });
    EXPECT_EQ(OpenTitles(), (std::vector<std::string>{"first.qmx", "second.qmx"}));
}

TEST(InstanceLinkTest, NoRunningProgramMeansStartingOne) {
    EXPECT_FALSE(CInstanceLink::HandOver(UniqueName() + QStringLiteral("-none"), {}));
}

} // namespace
