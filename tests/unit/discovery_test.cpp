#include "discovery.h"

#include "../qtprint.h"

#include <gtest/gtest.h>

using namespace naxo;

namespace {

const unsigned char kMac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

QByteArray reply(int size, const QByteArray &name = QByteArray())
{
    QByteArray d(size, '\0');
    memcpy(d.data(), "INX_DR", 6);
    memcpy(d.data() + 6, kMac, 6);
    d[14] = 2;
    d[15] = 5;
    for (int i = 0; i < name.size() && 28 + i < size; ++i)
        d[28 + i] = name[i];
    return d;
}

} // namespace

TEST(Discovery, RequestIsExactlySixBytes)
{
    EXPECT_EQ(DiscoveryRequest(), QByteArray("INX-DC"));
    EXPECT_EQ(DiscoveryRequest().size(), 6);
}

TEST(Discovery, FormatMacPadsEveryByte)
{
    EXPECT_EQ(FormatMac(kMac), QStringLiteral("00:1A:2B:3C:4D:5E"));
    const unsigned char withA[6] = {0x0A, 0xFF, 0, 1, 0x10, 0xab};
    EXPECT_EQ(FormatMac(withA), QStringLiteral("0A:FF:00:01:10:AB"));
}

TEST(Discovery, AcceptanceRules)
{
    EXPECT_FALSE(ParseDiscoveryReply(DiscoveryRequest())) << "own request";
    EXPECT_FALSE(ParseDiscoveryReply(reply(28))) << "28 bytes";
    QByteArray noMarker = reply(40);
    noMarker[3] = '-';
    EXPECT_FALSE(ParseDiscoveryReply(noMarker));

    const auto r29 = ParseDiscoveryReply(reply(29, "Q"));
    ASSERT_TRUE(r29);
    EXPECT_EQ(r29->name, QStringLiteral("Q"));
    EXPECT_EQ(r29->mac, QStringLiteral("00:1A:2B:3C:4D:5E"));
    EXPECT_EQ(r29->position, 2);
    EXPECT_EQ(r29->length, 5);
    EXPECT_EQ(ParseDiscoveryReply(reply(29))->name, QString()) << "zero byte at 28";

    // The marker anywhere counts; the fields are still read at fixed offsets.
    QByteArray shifted = QByteArray("xx") + reply(40, "AMP");
    EXPECT_TRUE(ParseDiscoveryReply(shifted));
}

TEST(Discovery, ReadsAtMostFiftyNineBytes)
{
    const QByteArray longName(60, 'N');
    const auto r = ParseDiscoveryReply(reply(100, longName));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->name, QString(31, u'N'));
}

TEST(Discovery, ShortNameWithoutZeroAfterLongName)
{
    const auto longer = ParseDiscoveryReply(reply(40, "LONGNAME-12"));
    ASSERT_TRUE(longer);
    EXPECT_EQ(longer->name, QStringLiteral("LONGNAME-12"));
    QByteArray shortReply = reply(28);
    shortReply.append("AB"); // no terminating zero
    const auto shorter = ParseDiscoveryReply(shortReply);
    ASSERT_TRUE(shorter);
    EXPECT_EQ(shorter->name, QStringLiteral("AB"));
}

TEST(Discovery, BuiltReplyParsesBack)
{
    const QByteArray d = BuildDiscoveryReply(kMac, 3, 4, "Amp-7");
    const auto r = ParseDiscoveryReply(d);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->mac, QStringLiteral("00:1A:2B:3C:4D:5E"));
    EXPECT_EQ(r->position, 3);
    EXPECT_EQ(r->length, 4);
    EXPECT_EQ(r->name, QStringLiteral("Amp-7"));
}
