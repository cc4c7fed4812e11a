#include "labfixture.h"
#include "lookforupdates.h"

#include <QDir>
#include <QFile>

using namespace naxo;

namespace {

struct Recorder : QObject, TUpdateCheckView {
    QStringList statuses;
    QList<int> progress;
    void ShowStatus(const QString &text) override { statuses << text; }
    void ShowProgress(int percent) override { progress << percent; }
};

struct Check {
    Recorder view;
    TAktVersions result;
    QTemporaryDir dir;
    QString folder() const { return dir.path() + u'/'; }

    void run(const NetworkProfile &profile)
    {
        TLookForUpdates w(folder(), &view, &result, &view, profile);
        ASSERT_TRUE(runWorker(w));
    }
    QByteArray file(const QString &name) const
    {
        QFile f(folder() + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void put(const QString &name, const QByteArray &bytes) const
    {
        QFile f(folder() + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase); }
};

int firmwareRequests(const LabFixture &f)
{
    int n = 0;
    for (const auto &e : f.events(QStringLiteral("http"), QStringLiteral("server")))
        n += e[QStringLiteral("path")].toString().endsWith(QLatin1String(".naxo"));
    return n;
}

lab::Scenario server(std::function<void(lab::ServerConfig &)> change)
{
    lab::Scenario s = lab::defaultScenario(0);
    change(s.server);
    return s;
}

} // namespace

TEST(UpdateCheck, NormalRunFetchesCatalogueAndFirmware)
{
    LabFixture f(lab::defaultScenario(0));
    Check c;
    c.run(f.profile);
    EXPECT_EQ(c.view.statuses, QStringList({"Download NAXO Info", "Download NAXO_S_v1.2.3-45.naxo", "Download Fertig"}));
    EXPECT_EQ(c.result.Status, StatusReady);
    EXPECT_EQ(c.result.FileName, QStringLiteral("NAXO_S_v1.2.3-45.naxo"));
    EXPECT_EQ(c.result.BuildInfo, QStringLiteral("v1.2.3-45"));
    EXPECT_DOUBLE_EQ(c.result.BuildNumber, 10203.45);
    EXPECT_EQ(c.file(QStringLiteral("NAXO_S_v1.2.3-45.naxo")), f.lab->server()->image());
    EXPECT_EQ(c.file(QStringLiteral("NAXOInfo")), f.lab->server()->catalogue());
    EXPECT_EQ(c.files(), QStringList({"NAXO_S_v1.2.3-45.naxo", "NAXOInfo"})) << "no temporary files left";
    // Progress: shown while transferring, back to 0 at the end of each transfer.
    ASSERT_FALSE(c.view.progress.isEmpty());
    EXPECT_TRUE(c.view.progress.contains(100));
    EXPECT_EQ(c.view.progress.last(), 0);

    // Second run: the file is there with the right size, so no firmware request.
    const int before = firmwareRequests(f);
    Check again;
    again.put(QStringLiteral("NAXO_S_v1.2.3-45.naxo"), f.lab->server()->image());
    again.run(f.profile);
    EXPECT_EQ(firmwareRequests(f), before);
    EXPECT_EQ(again.result.Status, StatusReady);
}

TEST(UpdateCheck, NoServerAndNoLocalCatalogue)
{
    LabFixture f(server([](lab::ServerConfig &s) { s.unreachable = true; }));
    Check c;
    c.run(f.profile);
    EXPECT_EQ(c.view.statuses,
              QStringList({"Download NAXO Info", "Server not reachable", "Kein Server, keine lokalen Dateien"}));
    EXPECT_EQ(c.result.Status, StatusNoCatalogue);
    EXPECT_TRUE(c.files().isEmpty());
}

TEST(UpdateCheck, NoServerButEarlierCatalogueAndFile)
{
    LabFixture online(lab::defaultScenario(0));
    Check c;
    c.run(online.profile);
    LabFixture offline(server([](lab::ServerConfig &s) { s.unreachable = true; }));
    Recorder view;
    TAktVersions result;
    TLookForUpdates w(c.folder(), &view, &result, &view, offline.profile);
    ASSERT_TRUE(runWorker(w));
    EXPECT_EQ(view.statuses, QStringList({"Download NAXO Info", "Server not reachable", "Download Fertig"}));
    EXPECT_EQ(result.Status, StatusReady);
    EXPECT_EQ(c.file(QStringLiteral("NAXOInfo")), online.lab->server()->catalogue())
        << "a failed request keeps the earlier catalogue";
}

TEST(UpdateCheck, FailedCatalogueRequestKeepsEarlierCopy)
{
    LabFixture f(server([](lab::ServerConfig &s) { s.fileName = QStringLiteral("other.naxo"); }));
    Check c;
    c.put(QStringLiteral("NAXOInfo"), "Blocked=false\r\nNAXO S FileName=kept.naxo\r\nNXAO S FileSize=3\r\n");
    c.put(QStringLiteral("kept.naxo"), "abc");
    // The catalogue is missing on this server path: 404.
    NetworkProfile p = f.profile;
    p.updateFolderUrl = QStringLiteral("HTTP://127.0.0.2:%1/elsewhere/").arg(f.lab->ports().server);
    c.run(p);
    EXPECT_TRUE(c.file(QStringLiteral("NAXOInfo")).contains("kept.naxo"));
    EXPECT_EQ(c.result.Status, StatusReady);
    EXPECT_EQ(c.result.FileName, QStringLiteral("kept.naxo"));
}

TEST(UpdateCheck, WrongSizeIsDeletedWithStatus3)
{
    LabFixture f(server([](lab::ServerConfig &s) { s.catalogueSizeDelta = 10; }));
    Check c;
    c.put(QStringLiteral("NAXO_S_v1.2.3-45.naxo"), "stale");
    c.run(f.profile);
    EXPECT_EQ(c.result.Status, StatusNoCatalogue);
    EXPECT_EQ(c.view.statuses.last(), QStringLiteral("Download NAXO_S_v1.2.3-45.naxo"));
    EXPECT_EQ(c.files(), QStringList({"NAXOInfo"})) << "neither the stale nor the short file stays";
}

TEST(UpdateCheck, BlockedMissingAndBlankNames)
{
    {
        LabFixture f(server([](lab::ServerConfig &s) { s.blocked = QStringLiteral("true"); }));
        Check c;
        c.run(f.profile);
        EXPECT_EQ(c.result.Status, StatusBlocked);
        EXPECT_EQ(c.view.statuses.last(), QStringLiteral("Download Fertig"));
    }
    {
        LabFixture f(server([](lab::ServerConfig &s) { s.missingFile = true; }));
        Check c;
        c.run(f.profile);
        EXPECT_EQ(c.result.Status, StatusDownloadFailed);
        EXPECT_EQ(c.view.statuses.last(), QStringLiteral("Download Fehler"));
        EXPECT_EQ(c.files(), QStringList({"NAXOInfo"})) << "no half file under the real name";
    }
    {
        LabFixture f(server([](lab::ServerConfig &s) { s.fileName = QStringLiteral("fw 2.naxo"); }));
        Check c;
        c.run(f.profile);
        EXPECT_EQ(c.result.Status, StatusReady);
        EXPECT_EQ(c.file(QStringLiteral("fw 2.naxo")).size(), f.lab->server()->image().size());
        const auto requests = f.events(QStringLiteral("http"), QStringLiteral("server"));
        EXPECT_EQ(requests.last()[QStringLiteral("path")].toString(),
                  QStringLiteral("/QW58-Remote-Updater/NAXO_Firmware/fw 2.naxo"));
    }
}

TEST(UpdateCheck, UnsafeFileNameNeverLeavesTheFolder)
{
    for (const char *name : {"../escape.naxo", "sub/dir.naxo", "C:evil.naxo", ".."}) {
        LabFixture f(server([name](lab::ServerConfig &s) { s.fileName = QString::fromLatin1(name); }));
        QTemporaryDir outer;
        const QString folder = outer.path() + QStringLiteral("/dl/");
        ASSERT_TRUE(QDir().mkpath(folder));
        Recorder view;
        TAktVersions result;
        TLookForUpdates w(folder, &view, &result, &view, f.profile);
        ASSERT_TRUE(runWorker(w));
        EXPECT_EQ(result.Status, StatusNoCatalogue) << name;
        EXPECT_EQ(QDir(outer.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList()) << name;
        EXPECT_EQ(firmwareRequests(f), 0) << name;
    }
}
