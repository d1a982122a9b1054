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

// The secret to send to HOST: in an installed build, when HOST is the default one and what
// listens on its port is the user's own, the contents of
// ~/.config/ardentix/quote-service-secret, trimmed; else, or when the file cannot be read,
// empty. Another user who took the port first never learns the secret.
QByteArray GatewaySecretFor(const QString& host);

// True when the socket table (the text of /proc/net/tcp and tcp6) shows a socket listening on
// the port and every such socket belongs to the uid.
bool OnlyUserListensOn(const QByteArray& socketTable, int port, unsigned uid);

}  // namespace ardentix
