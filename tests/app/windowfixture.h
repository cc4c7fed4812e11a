#pragma once

#include "labfixture.h"
#include "mainform.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <memory>

// The real window against the lab on loopback, with a temporary data folder
// and injected answers for its dialogs.
struct WindowFixture {
    LabFixture lab;
    QTemporaryDir appData;
    QList<naxo::Adapter> adapters{{QStringLiteral("lo"), QStringLiteral("127.0.0.1")}};
    QString firmwareChoice;
    int chooserCalls = 0;
    bool stopAnswer = true;
    int confirmCalls = 0;
    std::unique_ptr<naxo::TMainForm> form;

    explicit WindowFixture(const lab::Scenario &scenario) : lab(scenario) {}

    naxo::TMainFormEnvironment environment()
    {
        naxo::TMainFormEnvironment env;
        env.profile = lab.profile;
        env.adapters = [this] { return adapters; };
        env.appDataDir = appData.path();
        env.chooseFirmware = [this](QWidget *) { ++chooserCalls; return firmwareChoice; };
        env.confirmStop = [this](QWidget *) { ++confirmCalls; return stopAnswer; };
        return env;
    }

    naxo::TMainForm &open()
    {
        form = std::make_unique<naxo::TMainForm>(environment());
        form->show();
        return *form;
    }

    // Opens the window and waits until the grid holds n rows.
    naxo::TMainForm &openWithRows(int n)
    {
        open();
        EXPECT_TRUE(QTest::qWaitFor([&] { return form->deviceTable().rowCount() == n; }, 10000))
            << "rows: " << form->deviceTable().rowCount();
        return *form;
    }

    const naxo::TDeviceRow &row(const QString &ip) const
    {
        return form->deviceTable().rowAt(form->deviceTable().findByIp(ip));
    }
    QString info() const { return form->LabelInfo->text(); }
    int count(const QString &kind, const QString &device = QString()) const
    {
        return int(lab.events(kind, device).size());
    }
};
