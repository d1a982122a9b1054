#pragma once

#include <QByteArray>
#include <QString>

namespace ardentix {

// The result of one GET: the whole body as received, or a readable description, or neither
// when the caller aborted the request.
struct FetchResult {
    bool ok = false;
    bool aborted = false;
    QByteArray body;
    QString error;
};

// One synchronous GET of a URL.
class PageSource {
public:
    virtual ~PageSource() = default;
    virtual FetchResult Get(const QString& url) = 0;
};

}  // namespace ardentix
