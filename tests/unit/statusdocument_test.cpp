#include "statusdocument.h"

#include "../qtprint.h"

#include <gtest/gtest.h>

using namespace naxo;

TEST(StatusDocument, MapsEveryMember)
{
    TNaxoInfo info;
    info.MAC = QStringLiteral("00:1A:2B:3C:4D:5E");
    info.IpAddress = QStringLiteral("127.0.0.11");
    const QByteArray doc = R"({"mac":"AA:BB:CC:DD:EE:FF","serial":"3012345","build_info":"v1.2.3-45",
        "fpga_firmware":"F1","filterversion":"FV","sv_firmware":"S1","sw_firmware":"W1",
        "amp_firmware":"A1","system_length":4,"system_pos":0,"system_master_id":1,
        "user_length":4,"user_pos":0,"user_master_id":1})";
    ASSERT_TRUE(ApplyStatusReply(doc, info));
    EXPECT_EQ(info.MAC, QStringLiteral("00:1A:2B:3C:4D:5E")) << "the discovery MAC stays";
    EXPECT_EQ(info.SrNr, QStringLiteral("3012345"));
    EXPECT_EQ(info.Modell, QStringLiteral("NAXO S"));
    EXPECT_EQ(info.BuildInfo, QStringLiteral("v1.2.3-45"));
    EXPECT_DOUBLE_EQ(info.BuildNumber, 10203.45);
    EXPECT_EQ(info.FPGA, QStringLiteral("F1"));
    EXPECT_EQ(info.FilterVersion, QStringLiteral("FV"));
    EXPECT_EQ(info.SvFw, QStringLiteral("S1"));
    EXPECT_EQ(info.SwFw, QStringLiteral("W1"));
    EXPECT_EQ(info.AmpFw, QStringLiteral("A1"));
    EXPECT_EQ(info.Length, 4);
    EXPECT_EQ(info.Position, 1);
    EXPECT_EQ(info.IpAddress, QStringLiteral("127.0.0.11"));
}

TEST(StatusDocument, MacFromDocumentOnlyWhenEmpty)
{
    TNaxoInfo info;
    ASSERT_TRUE(ApplyStatusReply(R"({"mac":"AA:BB","build_info":"v1"})", info));
    EXPECT_EQ(info.MAC, QStringLiteral("AA:BB"));
}

TEST(StatusDocument, TextAndNumberRules)
{
    TNaxoInfo info;
    ASSERT_TRUE(ApplyStatusReply(
        R"({"build_info":"v\"2\".0.0-1","system_length":"12","system_pos":"3","fpga_firmware":7,
            "amp_firmware":"a\"b\"c","sw_firmware":true,"sv_firmware":1.5})", info));
    EXPECT_EQ(info.BuildInfo, QStringLiteral("v2.0.0-1"));
    EXPECT_EQ(info.Length, 12);
    EXPECT_EQ(info.Position, 4);
    EXPECT_EQ(info.FPGA, QStringLiteral("7"));
    EXPECT_EQ(info.AmpFw, QStringLiteral("abc"));
    EXPECT_EQ(info.SwFw, QStringLiteral("true"));
    EXPECT_EQ(info.SvFw, QStringLiteral("1.5"));

    TNaxoInfo odd;
    ASSERT_TRUE(ApplyStatusReply(R"({"build_info":"x","system_length":"4m","system_pos":"abc"})", odd));
    EXPECT_EQ(odd.Length, 4);
    EXPECT_EQ(odd.Position, 1);
}

TEST(StatusDocument, ModelFromSerial)
{
    const struct {
        const char *serial;
        const char *model;
    } cases[] = {{"30123", "NAXO S"},  {"80123", "NAXO SX"},  {"81", "NAXO C 1"},
                 {"82x", "NAXO C 2"}, {"83", "NAXO C 3"},    {"84000", "NAXO C 4"},
                 {"85123", "Unknown"}, {"8", "Unknown"},      {"", "Unknown"},
                 {"3", "Unknown"},     {"A30", "Unknown"}};
    for (const auto &c : cases)
        EXPECT_EQ(ModelFromSerial(QString::fromLatin1(c.serial)), QString::fromLatin1(c.model)) << c.serial;
}

TEST(StatusDocument, FailedQueries)
{
    for (const char *body : {"", "not json", "[1,2]", "{\"serial\":\"30\"}", "{\"build_info\":\"v1\"",
                             "<html>404</html>"}) {
        TNaxoInfo info;
        EXPECT_FALSE(ApplyStatusReply(body, info)) << body;
    }
}

TEST(StatusDocument, MissingMembersKeepTheirFields)
{
    TNaxoInfo info;
    info.Name = QStringLiteral("AMP");
    ASSERT_TRUE(ApplyStatusReply(R"({"build_info":"v1.0.0-1","system_pos":1})", info));
    EXPECT_EQ(info.Name, QStringLiteral("AMP"));
    EXPECT_EQ(info.SrNr, QString());
    EXPECT_EQ(info.Modell, QStringLiteral("Unknown"));
    EXPECT_EQ(info.Length, 0);
    EXPECT_EQ(info.Position, 2);
}
