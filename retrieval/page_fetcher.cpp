#include "retrieval/page_fetcher.h"

#include <QEventLoop>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <limits>

namespace ardentix {
namespace {

// Any answer that came with an HTTP status carries a page, whatever the status: the page
// parser judges it (but see IsServiceFailure). Transport failures (codes below 100: refused,
// closed, timed out, aborted) are failures even when a status line had already arrived.
bool IsAnsweredPage(const QNetworkReply& reply) {
    const int code = reply.error();
    return (code == QNetworkReply::NoError || code >= 100) &&
           reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

// A 5xx answer of plain UTF-8 text is the quote service telling the user why it could not
// serve the page; a 5xx page of markup comes from anything in between and is judged as a page.
bool IsServiceFailure(const QNetworkReply& reply, int status) {
    const QList<QByteArray> type = reply.rawHeader("Content-Type").split(';');
    if (status < 500 || status > 599 ||
        type.front().trimmed().compare("text/plain", Qt::CaseInsensitive) != 0) {
        return false;
    }
    for (const QByteArray& parameter : type.mid(1)) {
        const qsizetype equals = parameter.indexOf('=');
        if (equals > 0 &&
            parameter.left(equals).trimmed().compare("charset", Qt::CaseInsensitive) == 0) {
            QByteArray value = parameter.mid(equals + 1).trimmed();
            if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"')) {
                value = value.mid(1, value.size() - 2);
            }
            return value.compare("utf-8", Qt::CaseInsensitive) == 0;
        }
    }
    return false;
}

// The service's words as a box or a terminal line can show them: trimmed, without control or
// format characters (an escape sequence, a byte-order mark) but line breaks, and cut short.
QString ServiceWords(const QByteArray& body, int status) {
    constexpr qsizetype kMaxLength = 500;
    QString words;
    for (const QChar c : QString::fromUtf8(body)) {
        if (c == u'\n' ||
            (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format)) {
            words += c;
        }
    }
    words = words.trimmed();
    if (words.size() > kMaxLength) {
        words.truncate(words[kMaxLength - 1].isHighSurrogate() ? kMaxLength - 1 : kMaxLength);
        words += u'…';
    }
    return words.isEmpty() ? QStringLiteral("サーバーがエラー %1 を返しました").arg(status) : words;
}

// Retry-After in seconds; its other form, a date, is not used by the quote service.
std::optional<int> RetryAfterSeconds(const QNetworkReply& reply) {
    const QByteArray value = reply.rawHeader("Retry-After").trimmed();
    if (value.isEmpty() ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return value.size() > 9 ? std::numeric_limits<int>::max() : value.toInt();
}

const QString kNoConnection = QStringLiteral("サーバーに接続できませんでした");
const QString kCutShort = QStringLiteral("サーバーが応答の途中で接続を閉じました");

// A transport failure in words that tell a server that could not be reached from one that
// answered nothing or stopped mid-answer, with Qt's own text after them.
QString FailureWords(const QNetworkReply& reply, bool requestSent) {
    QString words = QStringLiteral("サーバーとの通信に失敗しました");
    switch (reply.error()) {
        case QNetworkReply::ConnectionRefusedError:
        case QNetworkReply::HostNotFoundError:
        case QNetworkReply::TimeoutError:
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::NetworkSessionFailedError:
        case QNetworkReply::ProxyConnectionRefusedError:
        case QNetworkReply::ProxyNotFoundError:
        case QNetworkReply::ProxyTimeoutError:
            words = kNoConnection;
            break;
        case QNetworkReply::UnknownNetworkError:  // "Network unreachable" among others
            if (!requestSent) {
                words = kNoConnection;
            }
            break;
        case QNetworkReply::RemoteHostClosedError:
            words = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()
                        ? kCutShort
                        : QStringLiteral("サーバーが何も返さずに接続を閉じました");
            break;
        default:
            break;
    }
    return words + QStringLiteral(" (") + reply.errorString() + u')';
}

}  // namespace

PageFetcher::PageFetcher(QNetworkAccessManager& manager) : manager_(manager) {
    QNetworkProxyFactory::setUseSystemConfiguration(true);
}

FetchResult PageFetcher::Get(const QString& url) {
    // TolerantMode keeps Qt from refusing what it can repair; the percent-encoding of the
    // code goes out as it stands ("%26" stays "%26").
    QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
    request.setTransferTimeout(timeoutMs_);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    if (!extraHeader_.second.isEmpty()) {
        request.setRawHeader(extraHeader_.first, extraHeader_.second);
    }

    QNetworkReply* reply = manager_.get(request);
    QString stopReason;
    QByteArray body;
    bool requestSent = false;
    qint64 received = 0;
    qint64 announced = -1;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        stopReason = QStringLiteral("%1秒以内にページが届かなかったため、要求を中止しました。")
                         .arg(deadlineMs_ / 1000.0);
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->readAll();
        if (body.size() > bodyCap_) {
            stopReason =
                QStringLiteral("ページが%1バイトを超えたため、受信を中止しました。").arg(bodyCap_);
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::requestSent, &loop, [&] { requestSent = true; });
    // The announced length counts the bytes as sent, which a compressed body's size does not.
    QObject::connect(reply, &QNetworkReply::downloadProgress, &loop,
                     [&](qint64 bytes, qint64 total) {
                         received = bytes;
                         announced = total;
                     });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    inFlight_ = reply;
    aborted_ = false;
    if (!reply->isFinished()) {
        deadline.start(deadlineMs_);
        loop.exec();
    }
    inFlight_ = nullptr;

    FetchResult result;
    if (aborted_) {
        result.aborted = true;
    } else if (!stopReason.isEmpty()) {
        result.error = stopReason;
    } else if (!IsAnsweredPage(*reply)) {
        result.error =
            reply->error() == QNetworkReply::OperationCanceledError
                ? QStringLiteral("サーバーから%1秒間応答がなかったため、要求を中止しました。")
                      .arg(timeoutMs_ / 1000.0)
                : FailureWords(*reply, requestSent);
    } else if (announced >= 0 && received < announced) {
        // Qt now and then sends a request again by itself after its connection closed
        // mid-answer, then finishes without an error holding the bytes of the first answer.
        result.error =
            kCutShort +
            QStringLiteral(" (%1バイトのうち%2バイトを受信)").arg(announced).arg(received);
    } else if (const int status =
                   reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
               IsServiceFailure(*reply, status)) {
        result.error = ServiceWords(body + reply->readAll(), status);
        result.status = status;
        result.retryAfterSeconds = RetryAfterSeconds(*reply);
    } else {
        body += reply->readAll();
        result.ok = true;
        result.body = std::move(body);
    }
    reply->deleteLater();
    return result;
}

void PageFetcher::Abort() {
    if (inFlight_) {
        aborted_ = true;
        inFlight_->abort();
    }
}

}  // namespace ardentix
