#include "retrieval/gateway_access.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QList>

namespace ardentix {

namespace {

// The file, or its first `most` bytes; empty when it cannot be read.
QByteArray ReadFile(const QString& path, qint64 most = -1) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return most < 0 ? file.readAll() : file.read(most);
}

}  // namespace

QString DefaultQuoteHost() {
    if (kInstalledGateway) {
        return QStringLiteral("127.0.0.1:%1").arg(GatewayPortOf(getuid()));
    }
    return QStringLiteral(ARDENTIX_QUOTE_HOST);
}

QByteArray GatewaySecretFor(const QString& host) {
    if (!kInstalledGateway || host != DefaultQuoteHost()) {
        return {};
    }
    const QByteArray sockets =
        ReadFile(QStringLiteral("/proc/net/tcp")) + ReadFile(QStringLiteral("/proc/net/tcp6"));
    if (!OnlyUserListensOn(sockets, GatewayPortOf(getuid()), getuid())) {
        return {};
    }
    // The user unit names the file from the home folder: the same path, whatever
    // XDG_CONFIG_HOME the desktop session has.
    return ReadFile(QDir::homePath() + QStringLiteral("/.config/ardentix/quote-service-secret"),
                    4096)
        .trimmed();
}

bool OnlyUserListensOn(const QByteArray& socketTable, int port, unsigned uid) {
    // Each line: slot, local address:port (hex), remote address:port, state (0A: listening),
    // queues, timer, retransmits, uid, ...
    bool listening = false;
    for (const QByteArray& line : socketTable.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        bool hex = false;
        if (fields.size() < 8 || fields[3] != "0A" ||
            fields[1].mid(fields[1].lastIndexOf(':') + 1).toInt(&hex, 16) != port || !hex) {
            continue;
        }
        if (fields[7].toUInt() != uid) {
            return false;
        }
        listening = true;
    }
    return listening;
}

}  // namespace ardentix
