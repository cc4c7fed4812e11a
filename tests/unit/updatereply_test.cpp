#include "updatereply.h"

#include "../qtprint.h"

#include <gtest/gtest.h>

using namespace naxo;

TEST(UpdateReply, UploadText)
{
    EXPECT_EQ(UploadText(0), QStringLiteral("Upload 0%"));
    EXPECT_EQ(UploadText(42), QStringLiteral("Upload 42%"));
    EXPECT_EQ(UploadText(100), QStringLiteral("Upload 100%"));
}

TEST(UpdateReply, ReplyPieces)
{
    const struct {
        const char *piece;
        const char *text;
        int code;
    } cases[] = {
        {"flashing kernel\r\n", "flashing kernel\n", 2},
        {"a\rb\rc", "ab\rc", 2},
        {"... ubifs is ready, writing\r\n", "Please wait", 3},
        {"run Update Script now\n", "Update Script", 2},
        {"Update Script; ubifs is ready\n", "Update Script", 2},
        {"update script", "update script", 2},
        {"", "", 2},
    };
    for (const auto &c : cases) {
        const UpdateReport r = ReplyPieceReport(QString::fromLatin1(c.piece), 2);
        EXPECT_EQ(r.text, QString::fromLatin1(c.text)) << c.piece;
        EXPECT_EQ(r.code, c.code) << c.piece;
    }
    EXPECT_EQ(ReplyPieceReport(QStringLiteral("Update Script"), 3).code, 3) << "code kept";
}

TEST(UpdateReply, ConnectionStatus)
{
    const UpdateReport cur{QStringLiteral("Please wait"), 3};
    const QString done = QString::fromLatin1(kDoneResetting);
    const QString err = QString::fromLatin1(kConnectionError);
    using L = QList<UpdateReport>;
    EXPECT_EQ(ConnectionStatusReports(QStringLiteral("Remote host connection complete."), QString(), cur), L());
    EXPECT_EQ(ConnectionStatusReports(QStringLiteral("Remote host connection complete."), QStringLiteral("OK"), cur),
              L({{QStringLiteral("Prepare Update"), 3}}));
    EXPECT_EQ(ConnectionStatusReports(QStringLiteral("Remote host disconnected."), QStringLiteral("OK"), cur),
              L({{done, 4}}));
    EXPECT_EQ(ConnectionStatusReports(QStringLiteral("Remote host disconnected."), QStringLiteral("Connection reset"), cur),
              L({{err, 3}, {done, 4}}));
    EXPECT_EQ(ConnectionStatusReports(QStringLiteral("something"), QStringLiteral("bad"), cur), L({{err, 3}}));
}

TEST(UpdateReply, FailedText)
{
    EXPECT_EQ(UpdateFailedText(QStringLiteral("upload"), QStringLiteral("timeout")),
              QStringLiteral("Update failed: upload (timeout)"));
}

TEST(UpdateReply, InstallConfirmedByTheWholeReply)
{
    EXPECT_TRUE(ReplyConfirmsInstall(QStringLiteral("Starting\r\nubifs is ready\r\nrebooting\r\n")));
    EXPECT_TRUE(ReplyConfirmsInstall(QStringLiteral("ubifs is") + QStringLiteral(" ready"))) << "split pieces joined";
    EXPECT_FALSE(ReplyConfirmsInstall(QStringLiteral("ERROR: firmware image invalid\r\n")));
}
