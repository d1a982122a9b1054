#pragma once

#include <QByteArray>
#include <QString>

namespace quote_service {

// A small file meant for its owner's eyes only: an API key, a shared secret.
struct PrivateFile {
    enum class State { Missing, Unreadable, NotPrivate, Read };
    State state = State::Missing;
    QByteArray bytes;  // when Read: at most the cap, without surrounding white space
    QString reason;    // when Unreadable: why, in the system's words
};

// Reads the file when it is a regular file of this user that no one else may read. Opening
// never waits: a named pipe or a device is Unreadable, not a reader stuck until a writer comes.
PrivateFile ReadPrivateFile(const QString& path, qsizetype cap, bool followLinks);

}  // namespace quote_service
