#include "retrieval/run_control.h"

#include "retrieval/page_fetcher.h"

namespace ardentix {

bool RunControl::Begin() {
    if (busy_) {
        return false;
    }
    busy_ = true;
    stopping_ = false;
    return true;
}

void RunControl::Stop() {
    if (busy_) {
        stopping_ = true;
        fetcher_.Abort();
    }
}

FetchResult RunControl::Get(const QString& url) {
    if (stopping_) {
        FetchResult result;
        result.aborted = true;
        return result;
    }
    return fetcher_.Get(url);
}

}  // namespace ardentix
