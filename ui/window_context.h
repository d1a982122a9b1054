#pragma once

#include <QDate>
#include <QString>
#include <functional>

namespace ardentix {

class Prompts;

// What the main window is given when it is built.
struct WindowContext {
    QString settingsDirectory;  // holds mervo.ini
    QString quoteHost;          // host[:port] of the quote service
    std::function<QDate()> today;
    Prompts& prompts;            // every modal box and the save dialog
    int fetchTimeoutMs = 30000;  // a page request that makes no progress this long fails
    // Where the save button proposes its file; empty means settingsDirectory.
    QString exportDirectory = {};

    const QString& ExportDirectory() const {
        return exportDirectory.isEmpty() ? settingsDirectory : exportDirectory;
    }
};

}  // namespace ardentix
