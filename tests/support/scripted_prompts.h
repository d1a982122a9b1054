#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "app/prompts.h"

namespace ardentix::testing {

// Records every modal call and answers questions and save dialogs from queues.
// An unscripted question answers Cancel; an unscripted save dialog is cancelled.
class ScriptedPrompts : public Prompts {
public:
    enum class Kind { Message, Question, SaveDialog };
    struct Call {
        Kind kind;
        QString text;
        int style = 0;
        QString title;
        SaveDialogRequest save;
    };

    void ShowMessage(const QString& text, int style, const QString& title) override {
        Record({Kind::Message, text, style, title, {}});
    }
    bool AskOkCancel(const QString& text, int style, const QString& title) override {
        Record({Kind::Question, text, style, title, {}});
        return !answers.empty() && Take(answers);
    }
    std::optional<QString> AskSaveFileName(const SaveDialogRequest& request) override {
        Record({Kind::SaveDialog, {}, 0, request.title, request});
        return fileNames.empty() ? std::nullopt : Take(fileNames);
    }

    // Each call as "style title: text", or as its text alone.
    QStringList Shown(bool textOnly = false) const {
        QStringList out;
        for (const Call& c : calls) {
            out << (textOnly ? c.text : QString("%1 %2: %3").arg(c.style).arg(c.title, c.text));
        }
        return out;
    }

    std::vector<Call> calls;
    std::function<void()> whileOpen;               // runs as each box "is shown"
    std::deque<bool> answers;                      // for AskOkCancel
    std::deque<std::optional<QString>> fileNames;  // nullopt = cancel

private:
    void Record(Call call) {
        calls.push_back(std::move(call));
        if (whileOpen) {
            whileOpen();
        }
    }
    template <class T>
    static T Take(std::deque<T>& queue) {
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }
};

}  // namespace ardentix::testing
