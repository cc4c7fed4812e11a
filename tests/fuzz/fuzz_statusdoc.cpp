// Any bytes as a device's status reply.
#include "statusdocument.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    naxo::TNaxoInfo info;
    info.MAC = QStringLiteral("00:11:22:33:44:55");
    const QByteArray body(reinterpret_cast<const char *>(data), qsizetype(size));
    if (naxo::ApplyStatusReply(body, info) && info.MAC != QLatin1String("00:11:22:33:44:55"))
        __builtin_trap(); // the discovery MAC is never replaced
    return 0;
}
