#pragma once

#include "naxoinfo.h"

#include <QByteArray>
#include <QJsonDocument>

namespace naxo {

// The model display name from a serial number's first two characters.
QString ModelFromSerial(const QString &serial);

// Fills info from a device's status document (members "serial", "build_info",
// ... of the top-level object).
//
// A member's text is its JSON text with every double quote removed; whole
// numbers are read from that text. A missing member leaves its field as it
// is (empty or 0). A document that is not an object, or that lacks
// "build_info", counts as a failed query: without a build the device cannot
// be judged, and an empty build would tick it for an update.
bool ApplyStatusDocument(const QJsonDocument &document, TNaxoInfo &info);

// Parses the reply body first; a body that is not JSON is a failed query.
bool ApplyStatusReply(const QByteArray &body, TNaxoInfo &info);

} // namespace naxo
