#pragma once

#include <httplib.h>

#include <QByteArray>
#include <QDate>
#include <memory>
#include <string>
#include <thread>

#include "parse/page_parser.h"
#include "parse/period.h"
#include "parse/quote_table.h"
#include "tools/quote-service/data_folder.h"
#include "tools/quote-service/quote_server.h"

namespace service_test {

// A quote service on a free loopback port, serving from a thread until destroyed.
class RunningService {
public:
    explicit RunningService(quote_service::DataFolder data = {}, int rowsPerPage = 50);
    ~RunningService();

    int port() const { return port_; }
    httplib::Client Client() const;

private:
    quote_service::QuoteServer server_;
    int port_ = -1;
    std::thread thread_;
};

// A chart query as the program writes it.
struct Query {
    QDate start;
    QDate end;
    ardentix::Period period = ardentix::Period::Daily;
    std::string symbol;

    std::string Path(int offset) const;
};

// The body of GET path; empty when the request failed.
QByteArray Fetch(httplib::Client& client, const std::string& path);

// What the program's parser made of a series of pages.
struct Walk {
    std::unique_ptr<ardentix::QuoteTable> table = std::make_unique<ardentix::QuoteTable>();
    ardentix::PagingState paging;
    ardentix::PageOutcome outcome;
    int pages = 0;
};

// Fetches and parses pages as the download run does, each from the offset of the rows stored
// so far, until a page fails, announces no further page, or maxPages were read.
Walk WalkPages(httplib::Client& client, const Query& query, int maxPages = 100);

// Parses one page body into a fresh table.
Walk ParseOne(const QByteArray& body, ardentix::Period period);

}  // namespace service_test
