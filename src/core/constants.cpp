#include "constants.h"

namespace naxo {

QString updateHost()
{
    return QStringLiteral(NAXO_UPDATE_HOST);
}

QString updateFolderUrl(const QString &host)
{
    return QStringLiteral("HTTP://") + host + QString::fromLatin1(kUpdateFolderPath);
}

const NetworkProfile &NetworkProfile::product()
{
    static const NetworkProfile profile;
    return profile;
}

} // namespace naxo
