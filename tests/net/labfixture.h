#pragma once

#include "constants.h"
#include "../qtprint.h"
#include "lab.h"
#include "worker.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// The lab in this process on loopback, and a network profile that points
// the tool's classes at it.
struct LabFixture {
    std::unique_ptr<lab::Lab> lab;
    naxo::NetworkProfile profile;

    explicit LabFixture(const lab::Scenario &scenario)
    {
        lab = std::make_unique<lab::Lab>(scenario);
        QString error;
        const bool ok = lab->startLoopback({}, &error);
        EXPECT_TRUE(ok) << error.toStdString();
        profile = lab::loopbackProfile(lab->ports());
    }

    QString ip(int k) const { return lab->device(k)->address().toString(); }

    QList<QJsonObject> events(const QString &kind, const QString &device = QString()) const
    {
        QList<QJsonObject> out;
        for (const auto &e : lab->log().events(kind)) {
            if (device.isEmpty() || e.value(QStringLiteral("device")).toString() == device)
                out.append(e);
        }
        return out;
    }
};

// Starts a worker the way the window does and spins the event loop until it
// has finished (hand-overs run meanwhile).
inline bool runWorker(naxo::TWorker &worker, int timeoutMs = 20000)
{
    bool done = false;
    QObject::connect(&worker, &QThread::finished, &worker, [&done] { done = true; }, Qt::QueuedConnection);
    worker.start();
    return QTest::qWaitFor([&done] { return done; }, timeoutMs);
}

inline QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}
