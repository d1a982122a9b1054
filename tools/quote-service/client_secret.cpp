#include "tools/quote-service/client_secret.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <array>

#include "retrieval/gateway_access.h"
#include "tools/quote-service/private_file.h"

namespace quote_service {

namespace {

constexpr qsizetype kMostSecretBytes = 4096;

bool IsOneWord(const std::string& text) {
    return !text.empty() && std::ranges::all_of(text, [](char c) { return c > ' ' && c < 127; });
}

// Compares in a time that does not tell how much of the secret a guess got right.
bool SameSecret(const std::string& given, const std::string& secret) {
    if (given.size() != secret.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (size_t i = 0; i < secret.size(); ++i) {
        difference |= static_cast<unsigned char>(given[i] ^ secret[i]);
    }
    return difference == 0;
}

void MakeSecretFile(const QString& file) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    const int fd = open(QFile::encodeName(file).constData(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;  // already there (another start made it first) or not makeable: the read tells
    }
    std::array<quint32, 8> random;
    QRandomGenerator::system()->fillRange(random.data(), random.size());
    const QByteArray hex =
        QByteArray(reinterpret_cast<const char*>(random.data()), sizeof(random)).toHex() + '\n';
    const bool written = write(fd, hex.constData(), hex.size()) == hex.size();
    if (close(fd) != 0 || !written) {
        unlink(QFile::encodeName(file).constData());
    }
}

}  // namespace

int DefaultPort() {
    return ardentix::kInstalledGateway ? ardentix::GatewayPortOf(getuid())
                                       : QUOTE_SERVICE_DEFAULT_PORT;
}

std::optional<std::string> LoadOrMakeSecret(const QString& file, QString* error) {
    if (!QFileInfo::exists(file)) {
        MakeSecretFile(file);
    }
    const PrivateFile read = ReadPrivateFile(file, kMostSecretBytes, false);
    const std::string secret = read.bytes.toStdString();
    if (read.state == PrivateFile::State::Missing || read.state == PrivateFile::State::Unreadable) {
        *error = QStringLiteral("--secret-file: cannot read or make %1: %2").arg(file, read.reason);
    } else if (read.state == PrivateFile::State::NotPrivate) {
        *error = QStringLiteral(
                     "--secret-file: %1 must be a file of yours that only you can read "
                     "(chmod 600)")
                     .arg(file);
    } else if (!IsOneWord(secret)) {
        *error =
            QStringLiteral("--secret-file: %1 must hold one word of printable ASCII").arg(file);
    } else {
        return secret;
    }
    return std::nullopt;
}

httplib::Server::HandlerWithResponse SecretGuard(std::string secret) {
    return
        [secret = std::move(secret)](const httplib::Request& request, httplib::Response& response) {
            if (SameSecret(request.get_header_value(ardentix::kSecretHeader), secret)) {
                return httplib::Server::HandlerResponse::Unhandled;
            }
            response.status = 403;
            response.set_content(
                "このクォートサービスは、起動した利用者の合言葉を添えた要求にだけ答えます。",
                "text/plain; charset=utf-8");
            return httplib::Server::HandlerResponse::Handled;
        };
}

}  // namespace quote_service
