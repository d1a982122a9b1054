#pragma once

#include <httplib.h>

#include <QString>
#include <optional>
#include <string>

namespace quote_service {

// The port the service listens on when no --port is given: the user's own port in an
// installed build, else the port of the development build's quote host.
int DefaultPort();

// The secret FILE holds, made when the file is missing: 32 random bytes as 64 hex digits, in a
// file only its owner may read (mode 0600). A file that another user owns or may read, or that
// holds anything but one word of printable ASCII, is refused: nullopt, with the reason.
std::optional<std::string> LoadOrMakeSecret(const QString& file, QString* error);

// Runs before every route: a request whose X-Ardentix-Secret header is not the secret is
// answered 403 with a short text and goes no further.
httplib::Server::HandlerWithResponse SecretGuard(std::string secret);

}  // namespace quote_service
