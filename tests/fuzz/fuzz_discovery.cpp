// One discovery datagram through the reply rules and the table's check.
#include "devicetable.h"
#include "discovery.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static naxo::TDeviceTable table;
    const QByteArray datagram(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto reply = naxo::ParseDiscoveryReply(datagram);
    if (!reply)
        return 0;
    if (reply->name.size() > 31 || reply->mac.size() != 17)
        __builtin_trap();
    const QString ip = QStringLiteral("198.18.0.%1").arg(size % 250);
    if (table.discoveryCheck(reply->mac, ip, reply->length, reply->position) != naxo::TDeviceTable::Verdict::Unchanged) {
        naxo::TNaxoInfo info;
        info.MAC = reply->mac;
        info.IpAddress = ip;
        info.Name = reply->name;
        info.Length = reply->length;
        info.Position = reply->position + 1;
        table.merge(info, 1.0);
    }
    if (table.rowCount() > 256) // a network-sized table keeps the runs fast
        table.clear();
    return 0;
}
