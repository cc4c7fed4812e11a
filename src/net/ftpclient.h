#pragma once

#include "curlsession.h"

#include <QString>

namespace naxo {

// FTP upload over libcurl: passive mode, binary (TYPE I), one "CWD" into the
// remote folder, STOR replacing a file of that name, no folders created.
// Logon is libcurl's anonymous one, which the devices accept.
class FtpClient : public CurlSession {
public:
    bool upload(const QString &localFile, const QString &host, quint16 port, const QString &remoteDir,
                const QString &remoteFile, TransferError *error);
};

} // namespace naxo
