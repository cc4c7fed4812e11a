#include "netadapter.h"
#include "windowfixture.h"

#include <QListWidget>
#include <QTcpServer>

using namespace naxo;

namespace {

// Answers the adapter dialog that the next step opens.
void answerDialog(std::function<void(TFormNetAdapter *)> answer)
{
    QTimer::singleShot(50, [answer] {
        auto *dialog = qobject_cast<TFormNetAdapter *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(dialog);
    });
}

// Starts the window on two adapters, choosing the second one.
TMainForm &openOnSecondAdapter(WindowFixture &w)
{
    w.adapters = {{QStringLiteral("first"), QStringLiteral("127.0.0.1")}, {QStringLiteral("second"), QStringLiteral("127.0.0.7")}};
    answerDialog([](TFormNetAdapter *dialog) {
        dialog->ListBox->setCurrentRow(1);
        dialog->Button1->click();
    });
    w.form = std::make_unique<TMainForm>(w.environment());
    return *w.form;
}

} // namespace

TEST(Startup, OneAdapterNoDialogAndSearchAfterTheCheck)
{
    lab::Scenario s = lab::defaultScenario(2);
    WindowFixture w(s);
    // An update server that accepts and never answers keeps the check busy.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    w.lab.profile.updateFolderUrl = QStringLiteral("http://127.0.0.1:%1/x/").arg(silent.serverPort());
    w.lab.profile.updateCheckTimeoutSec = 2;
    TMainForm &f = w.open();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(f.LabelAdapterName->text(), QStringLiteral("Using Standard Network Adapter"));
    EXPECT_TRUE(QDir(w.appData.path() + QStringLiteral("/NAXO_Downloads")).exists());
    EXPECT_EQ(f.downloadDir(), QDir::toNativeSeparators(w.appData.path() + QStringLiteral("/NAXO_Downloads/")));
    EXPECT_FALSE(f.ButtonStartUpdate->isVisible());
    EXPECT_FALSE(f.ButtonAktualisieren->isVisible());

    bool sentEarly = false;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        if (!f.updateCheckDone() && w.count(QStringLiteral("datagram")) > 0)
            sentEarly = true;
        return f.updateCheckDone();
    }, 15000));
    EXPECT_FALSE(sentEarly) << "no discovery request before the update check has ended";
    EXPECT_EQ(f.LabelAktFileName->text(), QStringLiteral("Select Update File manually!"));
    EXPECT_EQ(w.info(), QStringLiteral("Searching for devices in the network"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.deviceTable().rowCount() == 2; }, 5000));
    const auto first = w.lab.events(QStringLiteral("datagram"));
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(first[0][QStringLiteral("hex")].toString(), QStringLiteral("494e582d4443"));
}

TEST(Startup, NoAdapterAlsoStartsWithoutDialog)
{
    WindowFixture w(lab::defaultScenario(0));
    w.adapters.clear();
    TMainForm &f = w.open();
    EXPECT_FALSE(f.terminating());
    EXPECT_EQ(f.LabelAdapterName->text(), QStringLiteral("Using Standard Network Adapter"));
}

TEST(Startup, TwoAdaptersCloseAppEndsBeforeAnything)
{
    WindowFixture w(lab::defaultScenario(1));
    w.adapters = {{QStringLiteral("eth0"), QStringLiteral("127.0.0.1")}, {QStringLiteral("eth1"), QStringLiteral("127.0.0.3")}};
    bool closeAppVisible = false;
    answerDialog([&closeAppVisible](TFormNetAdapter *dialog) {
        closeAppVisible = dialog->ButtonCloseApp->isVisible();
        dialog->ButtonCloseApp->click();
    });
    TMainForm f(w.environment());
    EXPECT_TRUE(closeAppVisible);
    EXPECT_TRUE(f.terminating());
    EXPECT_FALSE(QDir(w.appData.path() + QStringLiteral("/NAXO_Downloads")).exists());
    QTest::qWait(300);
    EXPECT_EQ(w.lab.lab->log().events().size(), 0) << "nothing was sent";
}

TEST(Startup, TwoAdaptersChoiceBindsQueriesToIt)
{
    WindowFixture w(lab::defaultScenario(1));
    openOnSecondAdapter(w);
    EXPECT_EQ(w.form->LabelAdapterName->text(), QStringLiteral("second"));
    EXPECT_EQ(w.form->localHost(), QStringLiteral("127.0.0.7"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.form->deviceTable().rowCount() == 1; }, 10000));
    const auto http = w.lab.events(QStringLiteral("http"), QStringLiteral("dev1"));
    ASSERT_FALSE(http.isEmpty());
    EXPECT_EQ(http[0][QStringLiteral("from")].toString(), QStringLiteral("127.0.0.7"));
}

TEST(Startup, UseAllAfterOneAdapter)
{
    WindowFixture w(lab::defaultScenario(1));
    TMainForm &f = openOnSecondAdapter(w);
    ASSERT_EQ(f.localHost(), QStringLiteral("127.0.0.7"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.deviceTable().rowCount() == 1; }, 10000));

    bool closeAppVisible = true;
    answerDialog([&closeAppVisible](TFormNetAdapter *dialog) {
        closeAppVisible = dialog->ButtonCloseApp->isVisible();
        dialog->ButtonAll->click();
    });
    f.ButtonSelectNetworkClick();
    EXPECT_FALSE(closeAppVisible) << "Close App is hidden when opened from the button";
    EXPECT_EQ(f.LabelAdapterName->text(), QStringLiteral("Using All Network Adapters"));
    EXPECT_EQ(f.localHost(), QString());
    EXPECT_EQ(w.info(), QStringLiteral("Searching for devices in the network")) << "the search restarted";
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.deviceTable().rowCount() == 1; }, 10000)) << "table refilled";
}
