#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "ui/dialogs.h"

namespace ui_test {

/// Dialogs that answer from queues and record what they were asked. A question with no
/// answer queued is answered like a closed dialog (Cancel, not Yes) and counted as unexpected.
class ScriptedDialogs : public ui::Dialogs {
public:
    struct Input {
        bool ok;
        QString text;
    };

    void Ok(const QString& text) { inputs.push_back({true, text}); }
    void Cancel() { inputs.push_back({false, QString()}); }
    void Answer(bool yes) { answers.push_back(yes); }
    void SaveAs(std::optional<QString> name) { saveNames.push_back(std::move(name)); }

    bool InputQuery(const QString& caption, const QString& prompt, QString& text) override {
        inputCaptions << caption;
        inputPrompts << prompt;
        initialTexts << text;
        if (inputs.empty()) {
            ++unexpected;
            return false;
        }
        const Input input = inputs.front();
        inputs.pop_front();
        if (input.ok) text = input.text;
        return input.ok;
    }
    bool MessageDlgYes(const QString& message) override {
        questions << message;
        if (answers.empty()) {
            ++unexpected;
            return false;
        }
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    std::optional<QString> SaveFileName(const ui::SaveDialogSettings& settings) override {
        saveRequests.push_back(settings);
        if (saveNames.empty()) {
            ++unexpected;
            return std::nullopt;
        }
        auto name = saveNames.front();
        saveNames.pop_front();
        return name;
    }
    void ShowException(const QString& message) override { errors << message; }

    /// Number of dialogs of any kind shown so far.
    int DialogCount() const {
        return static_cast<int>(inputCaptions.size() + questions.size() + saveRequests.size());
    }
    bool AllAnswersUsed() const { return inputs.empty() && answers.empty() && saveNames.empty() && unexpected == 0; }

    std::deque<Input> inputs;
    std::deque<bool> answers;
    std::deque<std::optional<QString>> saveNames;
    QStringList inputCaptions, inputPrompts, initialTexts, questions, errors;
    std::vector<ui::SaveDialogSettings> saveRequests;
    int unexpected = 0;
};

}  // namespace ui_test
