#include "catalogue.h"

#include <QDate>
#include <QStringEncoder>
#include "../qtprint.h"

#include <gtest/gtest.h>

using namespace naxo;

namespace {

const char kCatalogue[] =
    "Blocked=false\n"
    "NAXO S Build Info=v1.2.3\n"
    "NAXO S Build Minor=45\n"
    "NAXO S FPGA-Version=F7\n"
    "NAXO S SV-Firmware=SV1\n"
    "NAXO S SW-Firmware=SW2\n"
    "NAXO S Filterversion=FV3\n"
    "NAXO S FileName=fw_1.2.3.naxo\n"
    "NXAO S FileSize=12345\n"
    "NAXO S DateTime=24.12.2019 13:45\n";

QByteArray withEndings(const QByteArray &lf, const char *ending)
{
    QByteArray b = lf;
    b.replace("\n", ending);
    return b;
}

} // namespace

TEST(Catalogue, EveryEncodingAndLineEndingReadsTheSame)
{
    const QString text = QString::fromLatin1(kCatalogue);
    QStringEncoder le(QStringEncoder::Utf16LE), be(QStringEncoder::Utf16BE);
    const QByteArray files[] = {
        kCatalogue,
        withEndings(kCatalogue, "\r\n"),
        withEndings(kCatalogue, "\r"),
        QByteArray("\xEF\xBB\xBF") + kCatalogue,
        QByteArray("\xFF\xFE") + QByteArray(le.encode(text)),
        QByteArray("\xFE\xFF") + QByteArray(be.encode(withEndings(kCatalogue, "\r\n"))),
    };
    for (const QByteArray &bytes : files) {
        const Catalogue c = Catalogue::fromBytes(bytes);
        TAktVersions r;
        const qint64 size = c.readModelEntry(QStringLiteral("NAXO S"), r);
        EXPECT_EQ(size, 12345);
        EXPECT_EQ(r.BuildInfo, QStringLiteral("v1.2.3-45"));
        EXPECT_DOUBLE_EQ(r.BuildNumber, 10203.45);
        EXPECT_EQ(r.FPGA, QStringLiteral("F7"));
        EXPECT_EQ(r.SvFw, QStringLiteral("SV1"));
        EXPECT_EQ(r.SwFw, QStringLiteral("SW2"));
        EXPECT_EQ(r.FilterVersion, QStringLiteral("FV3"));
        EXPECT_EQ(r.FileName, QStringLiteral("fw_1.2.3.naxo"));
        EXPECT_FALSE(c.blocked());
        EXPECT_EQ(r.Status, 0);
    }
}

TEST(Catalogue, LookUpRules)
{
    const Catalogue c = Catalogue::fromBytes(
        "first line without separator\n"
        "key=one\n"
        "KEY=two\n"
        "naxo s filename=lower.naxo\n"
        "Spaced = x\n"
        "Trail= y\n"
        "Empty=\n"
        "Eq=a=b\n");
    EXPECT_EQ(c.value(QStringLiteral("key")), QStringLiteral("one")); // first line wins
    EXPECT_EQ(c.value(QStringLiteral("Key")), QStringLiteral("one")); // any case
    EXPECT_EQ(c.value(QStringLiteral("NAXO S FileName")), QStringLiteral("lower.naxo"));
    EXPECT_EQ(c.value(QStringLiteral("Spaced")), QString());          // blank is in the name
    EXPECT_EQ(c.value(QStringLiteral("Spaced ")), QStringLiteral(" x"));
    EXPECT_EQ(c.value(QStringLiteral("Trail")), QStringLiteral(" y"));
    EXPECT_EQ(c.value(QStringLiteral("Empty")), QString());
    EXPECT_EQ(c.value(QStringLiteral("Eq")), QStringLiteral("a=b"));
    EXPECT_EQ(c.value(QStringLiteral("Missing")), QString());
}

TEST(Catalogue, ZeroCharacterEndsTheText)
{
    const QByteArray bytes("A=1\nB=2\0\nC=3\n", 13);
    const Catalogue c = Catalogue::fromBytes(bytes);
    EXPECT_EQ(c.value(QStringLiteral("B")), QStringLiteral("2"));
    EXPECT_EQ(c.value(QStringLiteral("C")), QString());
}

TEST(Catalogue, SingleByteTextIsWindows1252)
{
    const Catalogue c = Catalogue::fromBytes("NAXO S FPGA-Version=\x80 \xE9\n");
    TAktVersions r;
    c.readModelEntry(QStringLiteral("NAXO S"), r);
    EXPECT_EQ(r.FPGA, QString::fromUtf8("€ é"));
}

TEST(Catalogue, OnlyExactFalseIsNotBlocked)
{
    const struct {
        const char *file;
        bool blocked;
    } cases[] = {{"Blocked=false\n", false}, {"blocked=false\n", false}, {"Blocked=False\n", true},
                 {"Blocked=true\n", true},   {"Blocked= false\n", true}, {"Other=1\n", true}};
    for (const auto &c : cases)
        EXPECT_EQ(Catalogue::fromBytes(c.file).blocked(), c.blocked) << c.file;
}

TEST(Catalogue, MissingAndOddEntries)
{
    TAktVersions r;
    qint64 size = Catalogue::fromBytes("NAXO S Build Info=v1.2.3\nNAXO S FileSize=99\n")
                      .readModelEntry(QStringLiteral("NAXO S"), r);
    EXPECT_EQ(r.BuildInfo, QStringLiteral("v1.2.3-"));
    EXPECT_DOUBLE_EQ(r.BuildNumber, 10200.3);
    EXPECT_EQ(size, 0) << "the size key is spelled NXAO, not NAXO";

    TAktVersions empty;
    size = Catalogue::fromBytes("").readModelEntry(QStringLiteral("NAXO S"), empty);
    EXPECT_EQ(empty.BuildInfo, QStringLiteral("-"));
    EXPECT_DOUBLE_EQ(empty.BuildNumber, 0.0);
    EXPECT_EQ(empty.FileName, QString());
    EXPECT_EQ(size, 0);

    TAktVersions x;
    EXPECT_EQ(Catalogue::fromBytes("NXAO S FileSize=12345x\n").readModelEntry(QStringLiteral("NAXO S"), x),
              12345);
    EXPECT_EQ(Catalogue::fromBytes("NXAO S FileSize=17179869184\n").readModelEntry(QStringLiteral("NAXO S"), x),
              17179869184LL) << "sizes are 64-bit";
}

TEST(Catalogue, DateTimeFixedFormat)
{
    const double day = QDate(1899, 12, 30).daysTo(QDate(2019, 12, 24));
    const struct {
        const char *text;
        bool read;
        double value;
    } cases[] = {
        {"24.12.2019 13:45", true, day + (13 * 60 + 45) / 1440.0},
        {"24.12.2019", true, day},
        {"24.12.2019 13:45:30", true, day + (13 * 3600 + 45 * 60 + 30) / 86400.0},
        {"13:45", true, (13 * 60 + 45) / 1440.0},
        {"2019-12-24 13:45", false, 0},
        {"12/24/2019 13:45", false, 0},
        {"31.02.2019", false, 0},
        {"24.12.2019 25:00", false, 0},
        {"", false, 0},
    };
    for (const auto &c : cases) {
        double v = 7.0;
        EXPECT_EQ(ReadCatalogueDateTime(QString::fromLatin1(c.text), v), c.read) << c.text;
        EXPECT_DOUBLE_EQ(v, c.read ? c.value : 7.0) << c.text;
    }
}

TEST(Catalogue, PlainFileNames)
{
    for (const char *ok : {"fw.naxo", "fw 1.naxo", "..naxo", "a.b"})
        EXPECT_TRUE(IsPlainFileName(QString::fromLatin1(ok))) << ok;
    for (const char *bad : {"", ".", "..", "../x.naxo", "a/b", "a\\b", "C:x", "/etc/passwd"})
        EXPECT_FALSE(IsPlainFileName(QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(IsPlainFileName(QString(QStringLiteral("a")) + QChar(0) + u'b'));
}

TEST(Catalogue, ModelNameSlots)
{
    EXPECT_EQ(ModelNames()[kCatalogueModelSlot], QStringLiteral("NAXO S"));
    EXPECT_EQ(ModelNames()[6], QStringLiteral("NAXO C 4"));
    EXPECT_TRUE(ModelNames()[9].isEmpty());
}

TEST(Catalogue, OutcomeOfEveryStatus)
{
    const struct {
        qint32 status;
        const char *info;
        const char *fileLabel;
        bool buttons;
    } cases[] = {
        {0, "Server Download ready", "", true},
        {1, "Server is maintained, try later.", "", false},
        {2, "No server found. Use local data.", "", true},
        {3, "No server found. Select Update File manually.", "Select Update File manually!", false},
        {8, "Download in Arbeit", "", false},
        {9, "Unknown error!", "", false},
        {5, "", "", false},
    };
    for (const auto &c : cases) {
        const UpdateCheckOutcome o = OutcomeOf(c.status);
        EXPECT_EQ(o.info, QString::fromLatin1(c.info)) << c.status;
        EXPECT_EQ(o.fileLabel, QString::fromLatin1(c.fileLabel)) << c.status;
        EXPECT_EQ(o.updateButtons, c.buttons) << c.status;
    }
}
