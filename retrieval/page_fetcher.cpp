#include "retrieval/page_fetcher.h"

#include <QEventLoop>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUrl>

namespace ardentix {
namespace {

// An answer with an HTTP error status still carries a body; the page parser judges it.
bool IsHttpStatusError(const QNetworkReply& reply) {
    const int code = reply.error();
    const bool contentOrServer = (code >= 201 && code < 300) || (code >= 401 && code < 500);
    return contentOrServer && reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

}  // namespace

PageFetcher::PageFetcher(QNetworkAccessManager& manager) : manager_(manager) {
    QNetworkProxyFactory::setUseSystemConfiguration(true);
}

FetchResult PageFetcher::Get(const QString& url) {
    // The code goes out as typed; TolerantMode keeps Qt from refusing what it can repair.
    QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
    request.setTransferTimeout(timeoutMs_);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);

    QNetworkReply* reply = manager_.get(request);
    QString capError;
    QByteArray body;
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->readAll();
        if (body.size() > bodyCap_) {
            capError = QStringLiteral("The page is larger than %1 bytes; the transfer was stopped.")
                           .arg(bodyCap_);
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        loop.exec();
    }

    FetchResult result;
    if (!capError.isEmpty()) {
        result.error = capError;
    } else if (reply->error() != QNetworkReply::NoError && !IsHttpStatusError(*reply)) {
        result.error = reply->error() == QNetworkReply::OperationCanceledError
                           ? QStringLiteral("The server did not answer within %1 seconds.")
                                 .arg(timeoutMs_ / 1000.0)
                           : reply->errorString();
    } else {
        body += reply->readAll();
        result.ok = true;
        result.body = std::move(body);
    }
    reply->deleteLater();
    return result;
}

}  // namespace ardentix
