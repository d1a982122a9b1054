#pragma once

#include "retrieval/page_source.h"

namespace ardentix {

class PageFetcher;

// Whether the window's download run is going, and the user's wish to stop it. The run asks
// for its pages through this source: once Stop is called, the request in flight ends at once
// and every later request of the run ends as aborted without being sent.
class RunControl : public PageSource {
public:
    explicit RunControl(PageFetcher& fetcher) : fetcher_(fetcher) {}

    bool busy() const { return busy_; }
    bool stopping() const { return stopping_; }

    // False, changing nothing, while a run is going.
    bool Begin();
    void End() { busy_ = false; }
    // Nothing between runs.
    void Stop();

    FetchResult Get(const QString& url) override;

private:
    PageFetcher& fetcher_;
    bool busy_ = false;
    bool stopping_ = false;
};

}  // namespace ardentix
