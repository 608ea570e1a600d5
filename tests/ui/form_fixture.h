#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <deque>
#include <functional>
#include <memory>

#include "ui/form1.h"
#include "ui/string_grid.h"

namespace ui_test {

/// Records every dialog shown, in order, and answers from a script: input answers from a queue
/// (nullptr or an empty queue: Cancel), one fixed answer to questions and one file name.
class ScriptedDialogs : public ui::Dialogs {
public:
    bool InputQuery(const QString& caption, const QString& prompt, QString& text) override {
        asked << caption + ": " + prompt + text;  // the initial text must be empty
        const char* answer = inputs.empty() ? nullptr : inputs.front();
        if (!inputs.empty()) inputs.pop_front();
        if (answer) text = answer;
        return answer != nullptr;
    }
    bool MessageDlgYes(const QString& message) override { return (asked << message, yes); }
    std::optional<QString> SaveFileName(const ui::SaveDialogSettings& settings) override {
        asked << "save " + settings.filter + " ." + settings.defaultExtension + (settings.overwritePrompt ? " (replace?)" : "") +
                     (settings.suggestedName.isEmpty() ? "" : " " + settings.suggestedName);
        return saveName;
    }
    std::optional<QString> OpenFileName(const QString& filter) override { return (asked << "open " + filter, openName); }
    /// Every value shown goes to onProgress; "Cancelar" reads `cancel`.
    std::unique_ptr<ui::Progress> ShowProgress(const QString& title, int maximum) override {
        return (asked << "progress " + title + " " + QString::number(maximum), std::make_unique<Progress>(*this));
    }
    void ShowException(const QString& message) override { errors << message; }
    void ShowInformation(const QString& caption, const QString& message) override { notices << caption + ": " + message; }

    std::deque<const char*> inputs;
    bool yes = false;
    std::optional<QString> saveName, openName;
    std::function<void(int value)> onProgress;
    bool cancel = false;
    QStringList asked, errors, notices;

private:
    struct Progress : ui::Progress {
        explicit Progress(ScriptedDialogs& dialogs) : dialogs(dialogs) {}
        void SetValue(int value, const QString&) override { dialogs.onProgress ? dialogs.onProgress(value) : void(); }
        bool Cancelled() const override { return dialogs.cancel; }
        ScriptedDialogs& dialogs;
    };
};

/// A started window of one program with scripted dialogs (not shown).
class FormTest : public ::testing::Test {
protected:
    void Start(const engine::Variant& variant) {
        dialogs = ScriptedDialogs();  // the answers of an earlier window do not carry over
        form = std::make_unique<TForm1>(variant, dialogs);
    }
    engine::Engine& E() { return form->engine(); }

    template <typename T>
    T* Find(const QString& name) const { return form->findChild<T*>(name); }
    QLabel* Label(int k) const { return Find<QLabel>(QString("Label%1").arg(k)); }
    ui::StringGrid* Grid(int k) const { return Find<ui::StringGrid>(QString("StringGrid%1").arg(k)); }
    /// A click as the user makes it, on a button or a menu item: through the error guard.
    void Click(const QString& name) {
        if (auto* button = form->findChild<QPushButton*>(name)) button->click();
        else Find<QAction>(name)->trigger();
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> form;
};

}  // namespace ui_test

/// Failure messages show texts as text.
inline std::ostream& operator<<(std::ostream& out, const QString& text) { return out << text.toStdString(); }
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text << '"'; }
