#include "adapterlist.h"

#include <QNetworkInterface>

namespace naxo {

QList<Adapter> ethernetAdapters()
{
    QList<Adapter> list;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &i : interfaces) {
        if (i.type() != QNetworkInterface::Ethernet || !(i.flags() & QNetworkInterface::IsUp))
            continue;
        for (const QNetworkAddressEntry &e : i.addressEntries()) {
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol) {
                list.append({i.humanReadableName(), e.ip().toString()});
                break;
            }
        }
    }
    return list;
}

} // namespace naxo
