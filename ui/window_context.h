#pragma once

#include <QDate>
#include <QString>
#include <functional>

namespace ardentix {

class Prompts;

// What the main window is given when it is built.
struct WindowContext {
    QString settingsDirectory;  // holds mervo.ini; the program passes its executable's folder
    QString quoteHost;          // host[:port] of the quote service
    std::function<QDate()> today;
    Prompts& prompts;            // every modal box and the save dialog
    int fetchTimeoutMs = 30000;  // a page request that makes no progress this long fails
};

}  // namespace ardentix
