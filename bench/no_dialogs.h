#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "ui/dialogs.h"

namespace bench_support {

/// Dialogs that nobody answers: every question is cancelled, every error kept.
class NoDialogs : public ui::Dialogs {
public:
    bool InputQuery(const QString&, const QString&, QString&) override { return false; }
    bool MessageDlgYes(const QString&) override { return false; }
    std::optional<QString> OpenFileName(const QString&) override { return std::nullopt; }
    std::unique_ptr<ui::Progress> ShowProgress(const QString&, int) override { return std::make_unique<ui::NoProgress>(); }
    std::optional<QString> SaveFileName(const ui::SaveDialogSettings&) override { return std::nullopt; }
    void ShowException(const QString& message) override { errors.push_back(message); }
    std::vector<QString> errors;
};

}  // namespace bench_support
