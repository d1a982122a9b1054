#pragma once

#include <QByteArray>
#include <QString>

namespace ardentix {

// An installed build (ARDENTIX_INSTALLED_GATEWAY) asks each user's own quote service, which
// listens on a loopback port of its own and answers only queries that carry the secret it keeps
// in the user's configuration folder. A development build asks ARDENTIX_QUOTE_HOST and sends
// no secret, so it never reaches an installed user's service.
inline constexpr bool kInstalledGateway = ARDENTIX_INSTALLED_GATEWAY;
inline constexpr char kSecretHeader[] = "X-Ardentix-Secret";

// The user's port: 20000 + uid % 10000, below the kernel's range of ephemeral ports
// (32768 and up), so that an outgoing connection never holds it.
constexpr int GatewayPortOf(unsigned uid) {
    return 20000 + int(uid % 10000);
}

// The quote host the window and ardentix-get ask when none is given.
QString DefaultQuoteHost();

// The file the installed service keeps its secret in (~/.config/ardentix/quote-service-secret);
// empty in a development build.
QString GatewaySecretFile();

// The secret the file holds, trimmed; empty when there is no file or it cannot be read.
QByteArray ReadGatewaySecret(const QString& file);

}  // namespace ardentix
