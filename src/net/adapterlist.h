#pragma once

#include <QList>
#include <QString>

namespace naxo {

struct Adapter {
    QString description; // the platform's human-readable name
    QString address;     // IPv4, dotted decimal
    bool operator==(const Adapter &) const = default;
};

// The PC's Ethernet adapters in the platform's order: type Ethernet, up, and
// with an IPv4 address (the first one when it has several). Helper
// interfaces without an address cannot carry discovery and are left out.
QList<Adapter> ethernetAdapters();

} // namespace naxo
