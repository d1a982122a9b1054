#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace ardentix {

// The result of one GET: the whole body as received, or a readable description, or neither
// when the caller aborted the request.
struct FetchResult {
    bool ok = false;
    bool aborted = false;
    QByteArray body;
    QString error;
    // When the server gave the description itself: its status, and the seconds its
    // Retry-After asks to wait before the next try, if it gave them.
    int status = 0;
    std::optional<int> retryAfterSeconds;
};

// One synchronous GET of a URL.
class PageSource {
public:
    virtual ~PageSource() = default;
    virtual FetchResult Get(const QString& url) = 0;
};

}  // namespace ardentix
