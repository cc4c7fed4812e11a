#include "../qtprint.h"
#include "netadapter.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace naxo;

TEST(NetAdapter, ListLinesAreFortyCharactersThenTab)
{
    EXPECT_EQ(TFormNetAdapter::ListLine({QString(50, u'x'), QStringLiteral("198.18.0.1")}),
              QString(40, u'x') + QStringLiteral("\t198.18.0.1"));
    EXPECT_EQ(TFormNetAdapter::ListLine({QStringLiteral("0123456789"), QStringLiteral("198.18.0.2")}),
              QStringLiteral("0123456789") + QString(30, u' ') + QStringLiteral("\t198.18.0.2"));
}

TEST(NetAdapter, ThirdLineGivesThirdAdapter)
{
    const QList<Adapter> adapters = {{QStringLiteral("A"), QStringLiteral("198.18.0.1")},
                                     {QStringLiteral("B"), QStringLiteral("198.18.0.2")},
                                     {QStringLiteral("C"), QStringLiteral("198.18.0.3")}};
    TFormNetAdapter d(adapters, nullptr);
    ASSERT_EQ(d.ListBox->count(), 3);
    EXPECT_EQ(d.ListBox->currentRow(), 0) << "the first line starts selected";
    d.ListBox->setCurrentRow(2);
    QTimer::singleShot(0, d.Button1, &QPushButton::click);
    EXPECT_EQ(d.exec(), ResultOK);
    EXPECT_EQ(d.selectedAddress(), QStringLiteral("198.18.0.3"));
    EXPECT_EQ(d.selectedName(), QStringLiteral("C"));
}

TEST(NetAdapter, NoLineSelectedChoosesEmpty)
{
    TFormNetAdapter d({}, nullptr);
    QTimer::singleShot(0, d.Button1, &QPushButton::click);
    EXPECT_EQ(d.exec(), ResultOK);
    EXPECT_EQ(d.selectedAddress(), QString());
    EXPECT_EQ(d.selectedName(), QString());
}

TEST(NetAdapter, UseAllAndCloseAppResults)
{
    TFormNetAdapter all({{QStringLiteral("A"), QStringLiteral("198.18.0.1")}}, nullptr);
    QTimer::singleShot(0, all.ButtonAll, &QPushButton::click);
    EXPECT_EQ(all.exec(), ResultYes);
    TFormNetAdapter close({{QStringLiteral("A"), QStringLiteral("198.18.0.1")}}, nullptr);
    QTimer::singleShot(0, close.ButtonCloseApp, &QPushButton::click);
    EXPECT_EQ(close.exec(), ResultCancel);
}

TEST(NetAdapter, MoreThanNineteenAdaptersAreCut)
{
    QList<Adapter> many;
    for (int i = 0; i < 25; ++i)
        many.append({QStringLiteral("nic%1").arg(i), QStringLiteral("198.19.0.%1").arg(i)});
    TFormNetAdapter d(many, nullptr);
    EXPECT_EQ(d.ListBox->count(), 19);
}
