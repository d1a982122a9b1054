#include "service_harness.h"

#include <stdexcept>

namespace service_test {

RunningService::RunningService(quote_service::DataFolder data, int rowsPerPage)
    : server_(rowsPerPage, std::chrono::milliseconds(0), std::move(data)) {
    port_ = server_.Bind("127.0.0.1", 0);
    if (port_ <= 0) {
        throw std::runtime_error("no free loopback port");
    }
    thread_ = std::thread([this] { server_.ListenAfterBind(); });
}

RunningService::~RunningService() {
    server_.Stop();
    thread_.join();
}

httplib::Client RunningService::Client() const {
    return httplib::Client("127.0.0.1", port_);
}

std::string Query::Path(int offset) const {
    const char keys[] = {'d', 'w', 'm'};
    const auto n = [](int v) { return std::to_string(v); };
    return "/t?c=" + n(start.year()) + "&a=" + n(start.month()) + "&b=" + n(start.day()) +
           "&f=" + n(end.year()) + "&d=" + n(end.month()) + "&e=" + n(end.day()) +
           "&g=" + keys[static_cast<int>(period)] + "&s=" + symbol + "&y=" + n(offset) + "&x=.csv";
}

QByteArray Fetch(httplib::Client& client, const std::string& path) {
    const auto result = client.Get(path.c_str());
    if (!result) {
        return {};
    }
    return QByteArray::fromStdString(result->body);
}

namespace {

void ParseInto(Walk& walk, const QByteArray& body, ardentix::Period period) {
    walk.paging.pageBytes = body;
    walk.paging.pageLastIndex = static_cast<int>(body.size()) - 2;
    walk.outcome = ardentix::ParsePage(*walk.table, walk.paging, walk.paging.pageLastIndex, period);
    ++walk.pages;
}

}  // namespace

Walk WalkPages(httplib::Client& client, const Query& query, int maxPages) {
    Walk walk;
    while (walk.pages < maxPages) {
        ParseInto(walk, Fetch(client, query.Path(walk.table->rowCount)), query.period);
        if (!walk.outcome.ok || !walk.paging.hasNextPage) {
            break;
        }
    }
    return walk;
}

Walk ParseOne(const QByteArray& body, ardentix::Period period) {
    Walk walk;
    ParseInto(walk, body, period);
    return walk;
}

}  // namespace service_test
