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

TEST(InstanceLinkTest, NoRunningProgramMeansStartingOne) {
    EXPECT_FALSE(CInstanceLink::HandOver(UniqueName() + QStringLiteral("-none"), {}));
}

} // namespace
