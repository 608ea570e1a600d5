#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "engine/engine.h"
#include "engine/variant.h"
#include "scripted_dialogs.h"
#include "ui/form1.h"
#include "ui/pie.h"
#include "ui/string_grid.h"

namespace ui_test {

inline const char* VariantName(const engine::Variant& v) {
    return v.program == engine::Variant::Program::Zorvath ? "Zorvath" : "Zorvane";
}

/// A freshly started window of one program with scripted dialogs (not shown).
class FormTest : public ::testing::Test {
protected:
    void Start(const engine::Variant& variant) {
        form.reset();
        form = std::make_unique<TForm1>(variant, dialogs);
    }
    engine::Engine& E() { return form->engine(); }

    QLabel* Label(int k) const { return Find<QLabel>(QStringLiteral("Label%1").arg(k)); }
    ui::StringGrid* Grid(int k) const { return Find<ui::StringGrid>(QStringLiteral("StringGrid%1").arg(k)); }
    ui::Pie* PieControl(int k) const { return Find<ui::Pie>(QStringLiteral("Pie%1").arg(k)); }
    QPushButton* Button(int k) const { return Find<QPushButton>(QStringLiteral("Button%1").arg(k)); }
    QAction* Action(const char* name) const { return Find<QAction>(QString::fromLatin1(name)); }
    /// A click as the user makes it: through the button's signal and the error guard.
    void Click(int k) { Button(k)->click(); }

    template <typename T>
    T* Find(const QString& name) const {
        T* found = form->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> form;
};

/// The same, run once per program.
class BothPrograms : public FormTest, public ::testing::WithParamInterface<engine::Variant> {
protected:
    void SetUp() override { Start(GetParam()); }
};

inline std::string ParamName(const ::testing::TestParamInfo<engine::Variant>& info) {
    return VariantName(info.param);
}

inline bool IsSymmetric(const engine::Engine& e) {
    for (int i = 0; i < e.dimension; ++i)
        for (int j = 0; j < e.dimension; ++j)
            if (e.relation[i][j] != e.relation[j][i]) return false;
    return true;
}

}  // namespace ui_test
