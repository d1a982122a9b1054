#pragma once

#include <QString>
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
        calls.push_back({Kind::Message, text, style, title, {}});
        Opened();
    }
    bool AskOkCancel(const QString& text, int style, const QString& title) override {
        calls.push_back({Kind::Question, text, style, title, {}});
        Opened();
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<QString> AskSaveFileName(const SaveDialogRequest& request) override {
        calls.push_back({Kind::SaveDialog, {}, 0, request.title, request});
        Opened();
        if (fileNames.empty()) {
            return std::nullopt;
        }
        auto name = fileNames.front();
        fileNames.pop_front();
        return name;
    }

    void Opened() {
        if (whileOpen) {
            whileOpen();
        }
    }

    std::vector<Call> messages() const {
        std::vector<Call> out;
        for (const auto& c : calls) {
            if (c.kind == Kind::Message) {
                out.push_back(c);
            }
        }
        return out;
    }

    std::vector<Call> calls;
    std::function<void()> whileOpen;               // runs as each box "is shown"
    std::deque<bool> answers;                      // for AskOkCancel
    std::deque<std::optional<QString>> fileNames;  // nullopt = cancel
};

}  // namespace ardentix::testing
