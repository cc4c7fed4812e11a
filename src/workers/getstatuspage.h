#pragma once

#include "constants.h"
#include "httpclient.h"
#include "naxoinfo.h"
#include "worker.h"

namespace naxo {

// Asks one device for its status document and fills its record.
class TGetStatusPage : public TWorker {
    Q_OBJECT
public:
    TGetStatusPage(const TNaxoInfo &info, const NetworkProfile &profile = NetworkProfile::product(),
                   QObject *parent = nullptr);

    bool succeeded() const { return FSucceeded; }
    const TNaxoInfo &info() const { return FInfo; }

protected:
    void run() override;

private:
    NetworkProfile FProfile;
    bool FSucceeded = false;
    TNaxoInfo FInfo;
};

} // namespace naxo
