#pragma once

#include <QNetworkAccessManager>
#include <utility>

#include "retrieval/page_source.h"

namespace ardentix {

// GETs a page through a QNetworkAccessManager the caller owns (so that connections are reused
// across the pages of a run) and waits for it in a local event loop: the caller stays
// synchronous while the window keeps painting. A transfer that makes no progress for the
// time-out, one that is still running at the deadline (a server that drips a byte now and
// then would otherwise hold the run, and the window, for hours), a body above the cap, or one
// shorter than the length the server announced fails with a readable description.
class PageFetcher : public PageSource {
public:
    static constexpr int kDefaultTimeoutMs = 30000;
    static constexpr int kDefaultDeadlineMs = 120000;
    static constexpr qint64 kDefaultBodyCap = 16 * 1024 * 1024;

    explicit PageFetcher(QNetworkAccessManager& manager);

    void setTimeoutMs(int ms) { timeoutMs_ = ms; }
    void setDeadlineMs(int ms) { deadlineMs_ = ms; }
    void setBodyCap(qint64 bytes) { bodyCap_ = bytes; }
    // One more header sent with every request; an empty value sends none.
    void setExtraHeader(const QByteArray& name, const QByteArray& value) {
        extraHeader_ = {name, value};
    }

    FetchResult Get(const QString& url) override;

    // Ends the request in flight at once; its result is marked aborted. Called from an event
    // handler while Get waits; between requests it does nothing.
    void Abort();

private:
    QNetworkAccessManager& manager_;
    QNetworkReply* inFlight_ = nullptr;
    bool aborted_ = false;
    int timeoutMs_ = kDefaultTimeoutMs;
    int deadlineMs_ = kDefaultDeadlineMs;
    qint64 bodyCap_ = kDefaultBodyCap;
    std::pair<QByteArray, QByteArray> extraHeader_;
};

}  // namespace ardentix
