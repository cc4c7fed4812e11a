#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The discovery datagrams on UDP port 9454.
namespace naxo {

inline constexpr char kDiscoveryRequest[] = "INX-DC";
inline constexpr char kReplyMarker[] = "INX_DR";
inline constexpr int kReplyMinSize = 29;
inline constexpr int kReplyMaxRead = 59;
inline constexpr int kReplyMacOffset = 6;
inline constexpr int kReplyPositionOffset = 14;
inline constexpr int kReplyLengthOffset = 15;
inline constexpr int kReplyNameOffset = 28;

// Exactly the six bytes "INX-DC": no zero byte, no length field.
QByteArray DiscoveryRequest();

struct DiscoveryReply {
    QString mac;     // MAC text, the device's key
    int position = 0; // as sent: counted from 0
    int length = 0;
    QString name;
};

// Accepts a datagram holding "INX_DR" anywhere and at least 29 bytes long;
// reads at most the first 59 bytes. Name bytes are single-byte text.
std::optional<DiscoveryReply> ParseDiscoveryReply(const QByteArray &datagram);

// Six bytes as "00:1A:2B:3C:4D:5E".
QString FormatMac(const unsigned char mac[6]);

// The reply layout, for peers that answer discovery (the lab).
QByteArray BuildDiscoveryReply(const unsigned char mac[6], int position, int length,
                               const QByteArray &name);

} // namespace naxo
