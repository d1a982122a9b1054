#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "support/scripted_prompts.h"
#include "ui/frmMain.h"

namespace ardentix::testing {

// A window over a fresh settings folder, its boxes and dialogs scripted.
class WindowTest : public ::testing::Test {
protected:
    std::unique_ptr<frmMain> Open(const QString& settingsDir, const QString& host = "127.0.0.1:9",
                                  int timeoutMs = 2000) {
        WindowContext context{settingsDir, host, [this] { return today; }, prompts, timeoutMs};
        context.exportDirectory = exports.path();
        return frmMain::Create(context);
    }
    template <class T = QWidget>
    T* W(const char* name) const {
        auto* widget = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString Text(const char* label) const { return W<QLabel>(label)->text(); }
    int ListLines() const { return W<QTreeWidget>("lvR")->topLevelItemCount(); }
    QStringList Line(int index) const {
        QStringList texts;
        for (int column = 0; column < 6; ++column) {
            texts << W<QTreeWidget>("lvR")->topLevelItem(index)->text(column);
        }
        return texts;
    }
    void Click(const char* name) { QTest::mouseClick(W<QPushButton>(name), Qt::LeftButton); }
    void TypeCode(const QString& code) {
        W<QLineEdit>("txtCD")->clear();
        QTest::keyClicks(W<QLineEdit>("txtCD"), code);
    }

    QDate today{2024, 1, 5};
    QTemporaryDir dir;      // mervo.ini
    QTemporaryDir exports;  // where the save button proposes its file
    ScriptedPrompts prompts;
    std::unique_ptr<frmMain> window;
};

}  // namespace ardentix::testing
