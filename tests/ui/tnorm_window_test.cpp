// The window of the other t-norms: what it shows is the engine's analysis of the chosen t-norm,
// and a parameter it cannot take changes nothing.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <memory>

#include "engine/family_analysis.h"
#include "form_fixture.h"
#include "ui/tnorm_window.h"

namespace {

class TNormWindowTest : public ui_test::FormTest {
protected:
    QString Shown(const char* name) { return Find<QLabel>(name)->text(); }
    // What the engine gives for the relation the window shows.
    std::unique_ptr<engine::FamilyAnalysis> Expected(const std::string& name, bool symmetrizing) {
        auto memory = std::make_unique<engine::FamilyClosureMemory>();
        auto expected = std::make_unique<engine::FamilyAnalysis>();
        engine::AnalyzeRelation(engine::AnyTNorm::Parse(name), E().dimension, E().relation, symmetrizing, *memory, *expected);
        return expected;
    }
};

TEST_F(TNormWindowTest, ShowsTheEnginesResultsOfTheChosenTNormAndRefusesABadParameter) {
    const engine::RelationMatrix relation{{{0.2f, 0.9f, 0.4f}, {0.8f, 0.1f, 0.6f}, {0.3f, 0.5f, 1.0f}}};
    const struct {
        engine::Variant variant;
        engine::TNormFamily family;
        const char* typed;  // nullptr: no parameter
        const char* name;
    } cases[] = {
        {engine::kZorvane, engine::TNormFamily::Hamacher, "0,25", "hamacher:0.25"},
        {engine::kZorvath, engine::TNormFamily::Frank, "7.5", "frank:7.5"},
        {engine::kZorvath, engine::TNormFamily::DuboisPrade, "1", "dubois-prade:1"},
        {engine::kZorvane, engine::TNormFamily::Drastic, nullptr, "drastica"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.variant);
        form->experiment().LoadRelation(3, relation);
        form->RefreshGrids();
        Click("OtrasTNormas1");
        auto& window = *Find<ui::TNormWindow>("OtrasTNormas");
        window.SetFamily(c.family);
        auto* field = Find<QLineEdit>("Parametro");
        EXPECT_EQ(field->isEnabled(), c.typed != nullptr);
        if (c.typed) {
            field->clear();
            QTest::keyClicks(field, c.typed);
            QTest::keyClick(field, Qt::Key_Return);
        }
        const auto expected = Expected(c.name, c.variant.symmetrizing);
        ASSERT_EQ(window.tnorm().Name(), c.name);
        EXPECT_EQ(Shown("TextoCierre").toStdString(), expected->closureText);
        EXPECT_EQ(Shown("TextoTransitivizada").toStdString(), expected->transitivizedText);
        EXPECT_EQ(window.chart().marked.has_value(), c.typed != nullptr);
        if (!c.typed) continue;
        EXPECT_EQ(*window.chart().marked, window.tnorm().parameter());

        // Out of range or not a number: a Spanish message, and the t-norm, its texts and the
        // field as they were.
        for (const char* bad : {"-3", "uno"}) {
            field->setText(QString::fromLatin1(bad));
            field->setModified(true);
            QTest::keyClick(field, Qt::Key_Return);
            EXPECT_TRUE(Shown("Aviso").contains(QString::fromUtf8("no es un parámetro válido de"))) << Shown("Aviso").toStdString();
            EXPECT_EQ(window.tnorm().Name(), c.name);
            EXPECT_EQ(Shown("TextoCierre").toStdString(), expected->closureText);
            EXPECT_EQ(field->text().remove(QLatin1Char(',')).remove(QLatin1Char('.')),
                      QString::fromLatin1(c.typed).remove(QLatin1Char(',')).remove(QLatin1Char('.')));
        }
        // A new trial is followed.
        Click("Button1");
        EXPECT_EQ(Shown("TextoCierre").toStdString(), Expected(c.name, c.variant.symmetrizing)->closureText);
    }
}

}  // namespace
