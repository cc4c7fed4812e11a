#include "ftpclient.h"
#include "../qtprint.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace naxo;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(FtpInterop, UploadToPyftpdlibIsBinaryAndReplaces)
{
    QTemporaryDir root, local;
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("update")));
    QProcess server;
    server.start(QStringLiteral(SYSTEM_PYTHON), {QStringLiteral(PYFTPD_SCRIPT), root.path()});
    ASSERT_TRUE(server.waitForReadyRead(10000)) << server.readAllStandardError().toStdString();
    const quint16 port = quint16(server.readLine().trimmed().toUInt());
    ASSERT_NE(port, 0);

    // Bytes that a text-mode transfer would change.
    QByteArray image("NAXOFW build_info=v1.0.0-1\r\n\0\r\n\n\r", 34);
    for (int i = 0; i < 100000; ++i)
        image.append(char(i * 7));
    const QString first = local.path() + QStringLiteral("/first.naxo");
    const QString second = local.path() + QStringLiteral("/second.naxo");
    writeFile(first, image);
    writeFile(second, "short");

    FtpClient ftp;
    ftp.setTimeout(2, TimeoutKind::Inactivity);
    TransferError error;
    ASSERT_TRUE(ftp.upload(first, QStringLiteral("127.0.0.1"), port, QStringLiteral("/update"),
                           QStringLiteral("firmware.naxo"), &error)) << error.detail.toStdString();
    EXPECT_EQ(readAll(root.path() + QStringLiteral("/update/firmware.naxo")), image);
    ASSERT_TRUE(ftp.upload(second, QStringLiteral("127.0.0.1"), port, QStringLiteral("/update"),
                           QStringLiteral("firmware.naxo"), &error));
    EXPECT_EQ(readAll(root.path() + QStringLiteral("/update/firmware.naxo")), QByteArray("short"));

    // No folder is created for a missing remote folder.
    EXPECT_FALSE(ftp.upload(second, QStringLiteral("127.0.0.1"), port, QStringLiteral("/missing"),
                            QStringLiteral("firmware.naxo"), &error));
    EXPECT_FALSE(QDir(root.path() + QStringLiteral("/missing")).exists());
    server.kill();
    server.waitForFinished();
}
