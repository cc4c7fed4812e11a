#include "versiontext.h"

#include <QLocale>
#include "../qtprint.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace naxo;

struct BuildCase {
    const char16_t *input;
    double expected;
};

class BuildInfoToNumberTest : public ::testing::TestWithParam<BuildCase> {};

TEST_P(BuildInfoToNumberTest, MatchesTheBuildRule)
{
    const auto &c = GetParam();
    EXPECT_DOUBLE_EQ(BuildInfoToNumber(QString::fromUtf16(c.input)), c.expected)
        << QString::fromUtf16(c.input).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, BuildInfoToNumberTest,
    ::testing::Values(BuildCase{u"v1.2.3-45", 10203.45}, BuildCase{u"V1.2.3-45 (beta)", 10203.45},
                      BuildCase{u"1.2.3-45", 10203.45}, BuildCase{u"dev-v1.2.3-4", 10203.4},
                      BuildCase{u"v1.2.3", 10200.3}, BuildCase{u"v1.2", 10000.2},
                      BuildCase{u"v2.0.0-9", 20000.9}, BuildCase{u"v2.0.0-10", 20000.1},
                      BuildCase{u"v1.100.0-0", 20000.0}, BuildCase{u"v1.2.3-4.5", 10203.0},
                      BuildCase{u"1a.2.3-4", 10203.4}, BuildCase{u"", 0.0},
                      BuildCase{u"beta", 0.0}, BuildCase{u"7", 0.0}, BuildCase{u"7a", 0.0},
                      BuildCase{u"v1.2.3-", 10200.3}, BuildCase{u"-", 0.0},
                      BuildCase{u"v$A.0.0-1", 100000.1},
                      // Arabic-Indic digit (Nd) as the last digit keeps the text to it.
                      BuildCase{u"v1.2.3-4\u0665", 10203.0},
                      // Out-of-range parts saturate instead of wrapping to a negative build.
                      BuildCase{u"v999999999.0.0-1", 2147483647.1}),
    [](const ::testing::TestParamInfo<BuildCase> &info) { return std::to_string(info.index); });

TEST(BuildInfoToNumber, IgnoresTheProcessLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_DOUBLE_EQ(BuildInfoToNumber(QStringLiteral("v1.2.3-45")), 10203.45);
    QLocale::setDefault(before);
}

TEST(BuildInfoToNumber, IsSafeOnManyThreads)
{
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&wrong] {
            for (int i = 0; i < 2000; ++i) {
                if (BuildInfoToNumber(QStringLiteral("v2.0.0-%1").arg(i % 10)) != 20000.0 + (i % 10) / 10.0)
                    ++wrong;
            }
        });
    }
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(CopyText, ClampsItsBounds)
{
    const QString abc = QStringLiteral("abc");
    EXPECT_EQ(CopyText(abc, 0, 2), QStringLiteral("ab"));
    EXPECT_EQ(CopyText(abc, 3, 5), QStringLiteral("c"));
    EXPECT_EQ(CopyText(abc, 4, 1), QString());
    EXPECT_EQ(CopyText(abc, 1, 0), QString());
    EXPECT_EQ(CopyText(abc, -5, 2), QStringLiteral("ab"));
    EXPECT_EQ(CopyText(QString(), 1, 2), QString());
}

TEST(ToUrlPath, ConvertsSlashesAndBlanksOnly)
{
    EXPECT_EQ(ToUrlPath(QStringLiteral("a\\b c\\")), QStringLiteral("a/b%20c"));
    EXPECT_EQ(ToUrlPath(QStringLiteral("a  b")), QStringLiteral("a%20%20b"));
    EXPECT_EQ(ToUrlPath(QStringLiteral("///")), QString());
    EXPECT_EQ(ToUrlPath(QString()), QString());
    EXPECT_EQ(ToUrlPath(QStringLiteral("a%20b")), QStringLiteral("a%20b"));
    EXPECT_EQ(ToUrlPath(QStringLiteral("HTTP://h/F/NAXOInfo")), QStringLiteral("HTTP://h/F/NAXOInfo"));
}

TEST(TextToInt, ReadsWholeNumbersAndLeadingDigits)
{
    struct {
        const char *text;
        qint64 value;
    } cases[] = {
        {"42", 42}, {"  -7", -7}, {"+3", 3}, {"$1F", 31}, {"0x1f", 31}, {"x10", 16},
        {"12345x", 12345}, {"-12a", 12}, {"abc", 0}, {"", 0}, {"-", 0}, {"0x", 0},
        {"99999999999999999999999", std::numeric_limits<qint64>::max()},
        {"-99999999999999999999999", std::numeric_limits<qint64>::min()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TextToInt64(QString::fromLatin1(c.text)), c.value) << c.text;
    EXPECT_EQ(TextToInt32(QStringLiteral("3000000000")), std::numeric_limits<qint32>::max());
    EXPECT_EQ(TextToInt32(QStringLiteral("-3000000000")), std::numeric_limits<qint32>::min());
}
