#include "retrieval/gateway_access.h"

#include <unistd.h>

#include <QDir>
#include <QFile>

namespace ardentix {

QString DefaultQuoteHost() {
    if (kInstalledGateway) {
        return QStringLiteral("127.0.0.1:%1").arg(GatewayPortOf(getuid()));
    }
    return QStringLiteral(ARDENTIX_QUOTE_HOST);
}

QString GatewaySecretFile() {
    // The user unit names the file from the home folder: the same path, whatever
    // XDG_CONFIG_HOME the desktop session has.
    return kInstalledGateway
               ? QDir::homePath() + QStringLiteral("/.config/ardentix/quote-service-secret")
               : QString();
}

QByteArray ReadGatewaySecret(const QString& file) {
    QFile secret(file);
    if (file.isEmpty() || !secret.open(QIODevice::ReadOnly)) {
        return {};
    }
    return secret.read(4096).trimmed();
}

}  // namespace ardentix
