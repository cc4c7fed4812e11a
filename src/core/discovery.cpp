#include "discovery.h"
#include "singlebytetext.h"

#include <algorithm>
#include <cstring>

namespace naxo {

QByteArray DiscoveryRequest()
{
    return QByteArray(kDiscoveryRequest, 6);
}

QString FormatMac(const unsigned char mac[6])
{
    static const char hex[] = "0123456789ABCDEF";
    QString text(17, u':');
    for (int i = 0; i < 6; ++i) {
        text[i * 3] = QLatin1Char(hex[mac[i] >> 4]);
        text[i * 3 + 1] = QLatin1Char(hex[mac[i] & 0x0F]);
    }
    return text;
}

std::optional<DiscoveryReply> ParseDiscoveryReply(const QByteArray &datagram)
{
    if (!datagram.contains(kReplyMarker) || datagram.size() < kReplyMinSize)
        return std::nullopt;
    // Each reply is parsed from its own bytes only, so a short name never
    // carries characters of an earlier, longer reply.
    const qsizetype size = std::min<qsizetype>(datagram.size(), kReplyMaxRead);
    const auto *bytes = reinterpret_cast<const unsigned char *>(datagram.constData());

    DiscoveryReply r;
    r.mac = FormatMac(bytes + kReplyMacOffset);
    r.position = bytes[kReplyPositionOffset];
    r.length = bytes[kReplyLengthOffset];
    const char *name = datagram.constData() + kReplyNameOffset;
    const qsizetype room = size - kReplyNameOffset;
    const void *zero = memchr(name, 0, size_t(room));
    r.name = fromSingleByte(QByteArrayView(name, zero ? static_cast<const char *>(zero) - name : room));
    return r;
}

QByteArray BuildDiscoveryReply(const unsigned char mac[6], int position, int length,
                               const QByteArray &name)
{
    QByteArray d(kReplyNameOffset, '\0');
    memcpy(d.data(), kReplyMarker, 6);
    memcpy(d.data() + kReplyMacOffset, mac, 6);
    d[kReplyPositionOffset] = char(position);
    d[kReplyLengthOffset] = char(length);
    d.append(name.left(kReplyMaxRead - kReplyNameOffset - 1));
    d.append('\0');
    return d;
}

} // namespace naxo
