#include "getstatuspage.h"
#include "statusdocument.h"
#include "threadpriority.h"

namespace naxo {

TGetStatusPage::TGetStatusPage(const TNaxoInfo &info, const NetworkProfile &profile, QObject *parent)
    : TWorker(nullptr, parent), FProfile(profile), FInfo(info)
{
}

void TGetStatusPage::run()
{
    yieldToInterface(); // many queries run at once when devices are found
    FSucceeded = true;
    HttpClient http;
    http.setLocalAddress(FInfo.LocalHost);
    // The whole exchange may take the time-out at most.
    http.setTimeout(FProfile.statusTimeoutSec, TimeoutKind::WholeOperation);
    http.setCancelFlag(cancelFlag());
    QByteArray body;
    if (!http.get(deviceUrl(FInfo.IpAddress, FProfile.deviceHttpPort, kStatusPath), &body, nullptr)) {
        FSucceeded = false;
        return;
    }
    FSucceeded = ApplyStatusReply(body, FInfo);
}

} // namespace naxo
