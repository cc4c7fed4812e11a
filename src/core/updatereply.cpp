#include "updatereply.h"

namespace naxo {

QString UploadText(int percent)
{
    return QStringLiteral("Upload %1%").arg(percent);
}

UpdateReport ReplyPieceReport(const QString &piece, qint32 currentCode)
{
    UpdateReport r{piece, currentCode};
    const qsizetype cr = r.text.indexOf(u'\r');
    if (cr >= 0)
        r.text.remove(cr, 1);
    if (r.text.contains(QLatin1String(kUpdateScript)))
        r.text = QString::fromLatin1(kUpdateScript);
    // Tested on the text as the step above left it: a piece with both markers
    // stays "Update Script".
    if (r.text.contains(QLatin1String(kReadyMarker))) {
        r.text = QString::fromLatin1(kPleaseWait);
        r.code = 3;
    }
    return r;
}

QList<UpdateReport> ConnectionStatusReports(const QString &event, const QString &description,
                                            const UpdateReport &current)
{
    QList<UpdateReport> reports;
    if (description.isEmpty())
        return reports;
    UpdateReport r = current;
    if (description != QLatin1String("OK")) {
        r.text = QString::fromLatin1(kConnectionError);
        reports.append(r);
    }
    if (event.contains(QLatin1String("complete"))) {
        r.text = QString::fromLatin1(kPrepareUpdate);
        reports.append(r);
    }
    if (event.contains(QLatin1String("disconn"))) {
        r.text = QString::fromLatin1(kDoneResetting);
        r.code = 4;
        reports.append(r);
    }
    return reports;
}

bool ReplyConfirmsInstall(const QString &wholeReply)
{
    return wholeReply.contains(QLatin1String(kReadyMarker));
}

QString UpdateFailedText(const QString &step, const QString &reason)
{
    return QString::fromLatin1(kUpdateFailedPrefix) + step + QStringLiteral(" (") + reason
        + u')';
}

} // namespace naxo
