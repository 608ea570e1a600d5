// The commands and their dialogs, driven through the buttons and menu items with scripted answers.
#include "form_fixture.h"
#include "ui/qt_dialogs.h"

namespace ui_test {
namespace {

using engine::kZorvane;
using engine::kZorvath;

class Commands : public FormTest {
protected:
    void SetUp() override { Start(kZorvane); }
    bool RelationIs(const engine::RelationMatrix& m) { return engine::MatrixEqual(E().dimension, m, E().relation); }
};

// --- Dimension ---

struct DimensionCase {
    const char* name;
    bool ok;
    const char* text;
    int dimension;   // afterwards
    bool trial;      // a trial ran
    bool error;      // the error box was shown
    const char* mentions;  // a text the error message contains
};

class DimensionDialog : public Commands, public ::testing::WithParamInterface<DimensionCase> {};

TEST_P(DimensionDialog, AnswerDecidesDimensionAndTrial) {
    const DimensionCase& c = GetParam();
    const engine::RelationMatrix before = E().relation;
    if (c.ok) dialogs.Ok(QString::fromUtf8(c.text));
    else dialogs.Cancel();
    Click(2);
    EXPECT_EQ(dialogs.inputCaptions, QStringList{"Cambiar dimensión"});
    EXPECT_EQ(dialogs.inputPrompts, QStringList{"Dame la nueva dimensión"});
    EXPECT_EQ(dialogs.initialTexts, QStringList{""});
    EXPECT_EQ(E().dimension, c.dimension);
    EXPECT_EQ(E().trialCount, c.trial ? 2 : 1);
    ASSERT_EQ(dialogs.errors.size(), c.error ? 1 : 0);
    if (c.error) {
        EXPECT_TRUE(dialogs.errors[0].contains(QString::fromUtf8(c.mentions))) << dialogs.errors[0].toStdString();
        EXPECT_TRUE(engine::MatrixEqual(10, before, E().relation));
        EXPECT_EQ(Grid(1)->RowCount(), 10);
    } else {
        EXPECT_EQ(Grid(1)->RowCount(), c.dimension);
        // A new relation (a 1 × 1 one may repeat the old entry by chance).
        if (c.dimension >= 5) {
            EXPECT_FALSE(engine::MatrixEqual(std::min(10, c.dimension), before, E().relation));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, DimensionDialog,
    ::testing::Values(DimensionCase{"Cancel", false, "", 10, true, false, ""},
                      DimensionCase{"Five", true, "5", 5, true, false, ""},
                      DimensionCase{"Largest", true, "100", 100, true, false, ""},
                      DimensionCase{"Smallest", true, "1", 1, true, false, ""},
                      DimensionCase{"Blanks", true, " 7 ", 7, true, false, ""},
                      DimensionCase{"Letters", true, "abc", 10, false, true, "abc"},
                      DimensionCase{"Empty", true, "", 10, false, true, ""},
                      DimensionCase{"Fraction", true, "2.5", 10, false, true, "2.5"},
                      DimensionCase{"Zero", true, "0", 10, false, true, "entre 1 y 100"},
                      DimensionCase{"Negative", true, "-3", 10, false, true, "entre 1 y 100"},
                      DimensionCase{"AboveMax", true, "101", 10, false, true, "entre 1 y 100"},
                      DimensionCase{"Huge", true, "99999999999", 10, false, true, "99999999999"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Commands, DimensionMenuItemAsksTheSameQuestion) {
    dialogs.Ok("4");
    Action("CambiarDimensin1")->trigger();
    EXPECT_EQ(dialogs.inputCaptions, QStringList{"Cambiar dimensión"});
    EXPECT_EQ(E().dimension, 4);
    EXPECT_EQ(E().trialCount, 2);
}

TEST_F(Commands, MenuItemErrorsReachTheErrorBox) {
    dialogs.Ok("diez");
    Action("CambiarDimensin1")->trigger();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains("diez"));
    EXPECT_EQ(E().dimension, 10);
    EXPECT_EQ(E().trialCount, 1);
}

TEST(QtDialogs, SaveFilterBecomesQtFilter) {
    EXPECT_EQ(ui::QtDialogs::QtFilter("fichero de texto|*.txt|todos los archivos|*"),
              "fichero de texto (*.txt);;todos los archivos (*)");
    EXPECT_EQ(ui::QtDialogs::QtFilter("tablas|*.txt;*.tsv"), "tablas (*.txt *.tsv)");
    EXPECT_EQ(ui::QtDialogs::QtFilter(""), "");
}

TEST_F(Commands, GenerateButtonAndMenuItemRunOneTrialEach) {
    const engine::RelationMatrix before = E().relation;
    Click(1);
    EXPECT_EQ(E().trialCount, 2);
    EXPECT_FALSE(RelationIs(before));
    Action("GenerarMatriz1")->trigger();
    EXPECT_EQ(E().trialCount, 3);
    EXPECT_EQ(dialogs.DialogCount(), 0);
}

TEST_F(Commands, ArchivoItemsDoNothing) {
    const engine::RelationMatrix before = E().relation;
    for (const char* name : {"Cargarmatriz1", "SalvarMatriz1", "SalvarCierreTransitivo1", "SalvarCietteProdTransitivo1",
                             "SalvarCierreWTransitivo1", "SalvarMatrizMinTransitivizada1",
                             "SalvarMatrizProdTransitivizada1", "SalvarMatrizWTransitivizada1", "SalvarTodo1"}) {
        QAction* action = Action(name);
        ASSERT_NE(action, nullptr);
        EXPECT_TRUE(action->isEnabled());
        action->trigger();
    }
    EXPECT_EQ(E().trialCount, 1);
    EXPECT_TRUE(RelationIs(before));
    EXPECT_EQ(dialogs.DialogCount(), 0);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(Commands, AnErrorInsideATrialIsShownAndTheWindowCarriesOn) {
    // A state the commands never produce; the engine refuses it before changing anything.
    E().dimension = 0;
    Click(1);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(E().trialCount, 1);
    E().dimension = 10;
    Click(1);
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(E().trialCount, 2);
}

TEST_F(Commands, DirectCallsOfHandlersPassErrorsOn) {
    dialogs.Ok("xyz");
    EXPECT_THROW(form->Button2Click(form.get()), std::exception);
    EXPECT_TRUE(dialogs.errors.isEmpty());
    dialogs.Ok("xyz");
    form->Guarded(&TForm1::Button2Click, form.get());
    EXPECT_EQ(dialogs.errors.size(), 1);
}

// --- Reflexivity and symmetry ---

TEST_F(Commands, ReflexiveAnswerHoldsForLaterTrialsAndTheRepeatCommand) {
    dialogs.Answer(true);
    Click(3);
    EXPECT_EQ(dialogs.questions, QStringList{"¿Quieres que la matriz sea Reflexiva?"});
    EXPECT_TRUE(E().reflexive);
    EXPECT_EQ(E().trialCount, 2);
    auto diagonalOnes = [&] {
        for (int i = 0; i < E().dimension; ++i)
            if (E().relation[i][i] != 1.0f) return false;
        return true;
    };
    EXPECT_TRUE(diagonalOnes());
    Click(5);
    EXPECT_TRUE(diagonalOnes());
    dialogs.Answer(false);
    Click(3);
    EXPECT_FALSE(E().reflexive);
    bool anyBelowOne = false;
    for (int trial = 0; trial < 5 && !anyBelowOne; ++trial) {
        anyBelowOne = !diagonalOnes();
        Click(1);
    }
    EXPECT_TRUE(anyBelowOne);
}

TEST_F(Commands, ReflexivityMenuItemSetsRatherThanToggles) {
    dialogs.Answer(true);
    Action("CambiarReflexividad1")->trigger();
    EXPECT_TRUE(E().reflexive);
    dialogs.Answer(true);
    Action("CambiarReflexividad1")->trigger();
    EXPECT_TRUE(E().reflexive);
    EXPECT_EQ(dialogs.questions, QStringList({"¿Quieres que la matriz sea Reflexiva?", "¿Quieres que la matriz sea Reflexiva?"}));
    EXPECT_EQ(E().trialCount, 3);
}

TEST_F(Commands, ClosedQuestionCountsAsNo) {
    E().reflexive = true;
    Click(3);  // no answer queued: the dialog was closed
    EXPECT_EQ(dialogs.unexpected, 1);
    EXPECT_FALSE(E().reflexive);
    E().symmetric = true;
    dialogs.unexpected = 0;
    Click(4);
    EXPECT_FALSE(E().symmetric);
}

TEST_F(Commands, SymmetryQuestionAndItsTrial) {
    dialogs.Answer(true);
    Click(4);
    EXPECT_EQ(dialogs.questions, QStringList{"¿Quieres que la matriz sea Simétrica?"});
    EXPECT_TRUE(E().symmetric);
    EXPECT_EQ(E().trialCount, 2);
    EXPECT_TRUE(IsSymmetric(E()));
}

TEST_F(Commands, Label8ClickAsksWithoutATrial) {
    const engine::RelationMatrix before = E().relation;
    dialogs.Answer(true);
    form->Label8Click(form.get());
    EXPECT_TRUE(E().symmetric);
    EXPECT_EQ(E().trialCount, 1);
    EXPECT_TRUE(RelationIs(before));
    dialogs.Answer(true);
    form->Reflexiva1Click(form.get());
    EXPECT_TRUE(E().reflexive);
    EXPECT_EQ(E().trialCount, 2);
}

// --- Permutation ---

// new[σ(i)][σ(j)] = old[i][j] with σ exchanging a and b.
void ExpectSwapped(const engine::RelationMatrix& old, const engine::RelationMatrix& now, int n, int a, int b) {
    auto sigma = [&](int i) { return i == a ? b : i == b ? a : i; };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) ASSERT_EQ(now[sigma(i)][sigma(j)], old[i][j]) << i << "," << j;
}

TEST_F(Commands, SwapThreeAndFiveTwiceGivesTheRelationBack) {
    const engine::RelationMatrix start = E().relation;
    dialogs.Ok("3");
    dialogs.Ok("5");
    Click(8);
    EXPECT_EQ(dialogs.inputCaptions, QStringList({"Permutación", "Permutación"}));
    EXPECT_EQ(dialogs.inputPrompts, QStringList({"Dame un número", "Dame otro número"}));
    EXPECT_EQ(E().swapFirst, 2);
    EXPECT_EQ(E().swapSecond, 4);
    EXPECT_FALSE(E().swapPending);
    ExpectSwapped(start, E().relation, 10, 2, 4);
    EXPECT_FALSE(RelationIs(start));  // the first relation of Zorvane differs in rows 3 and 5
    dialogs.Ok("3");
    dialogs.Ok("5");
    Click(8);
    EXPECT_TRUE(RelationIs(start));
    EXPECT_EQ(E().trialCount, 3);
}

TEST_F(Commands, SwapWithItselfAnalysesTheSameRelationAgain) {
    const engine::RelationMatrix start = E().relation;
    dialogs.Ok("4");
    dialogs.Ok("4");
    Click(8);
    EXPECT_TRUE(RelationIs(start));
    EXPECT_EQ(E().trialCount, 2);
    EXPECT_EQ(uinftab::PointListCount(E().pointSeries[0]), 2);
}

TEST_F(Commands, BothCancelledAtStartSwapsElementOneWithItself) {
    const engine::RelationMatrix start = E().relation;
    dialogs.Cancel();
    dialogs.Cancel();
    Click(8);
    EXPECT_EQ(dialogs.inputCaptions.size(), 2);
    EXPECT_TRUE(RelationIs(start));
    EXPECT_EQ(E().trialCount, 2);
}

TEST_F(Commands, NumberAboveTheDimensionGeneratesANewRelation) {
    // Two windows step through the same relations; one swaps nothing and must match the other.
    ScriptedDialogs otherDialogs;
    TForm1 other(kZorvane, otherDialogs);
    other.Button1Click(&other);
    dialogs.Ok("2");
    dialogs.Ok("11");
    Click(8);
    EXPECT_FALSE(E().swapPending);
    EXPECT_EQ(E().swapSecond, 10);
    EXPECT_EQ(E().trialCount, 2);
    EXPECT_TRUE(RelationIs(other.engine().relation));
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

struct BadElementCase {
    const char* name;
    const char* first;   // nullptr: cancelled
    const char* second;  // nullptr: cancelled or not asked
    int dialogsShown;
    int swapFirst, swapSecond;  // afterwards, starting from 1 and 2 (0-based)
    const char* mentions;
};

class PermutationRefusal : public Commands, public ::testing::WithParamInterface<BadElementCase> {};

TEST_P(PermutationRefusal, RefusedNumberEndsTheCommandWithoutATrial) {
    const BadElementCase& c = GetParam();
    E().swapFirst = 1;
    E().swapSecond = 2;
    const engine::RelationMatrix start = E().relation;
    if (c.first) dialogs.Ok(QString::fromUtf8(c.first));
    else dialogs.Cancel();
    if (c.second) dialogs.Ok(QString::fromUtf8(c.second));
    Click(8);
    EXPECT_EQ(dialogs.inputCaptions.size(), c.dialogsShown);
    EXPECT_EQ(E().swapFirst, c.swapFirst);
    EXPECT_EQ(E().swapSecond, c.swapSecond);
    EXPECT_FALSE(E().swapPending);
    EXPECT_EQ(E().trialCount, 1);
    EXPECT_TRUE(RelationIs(start));
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(QString::fromUtf8(c.mentions))) << dialogs.errors[0].toStdString();
    dialogs.inputs.clear();
}

INSTANTIATE_TEST_SUITE_P(
    Commands, PermutationRefusal,
    ::testing::Values(BadElementCase{"FirstLetters", "tres", "5", 1, 1, 2, "tres"},
                      BadElementCase{"FirstEmpty", "", "5", 1, 1, 2, ""},
                      BadElementCase{"FirstZero", "0", "5", 1, 1, 2, "1 o mayor"},
                      BadElementCase{"FirstNegative", "-4", "5", 1, 1, 2, "1 o mayor"},
                      BadElementCase{"SecondLetters", "6", "x", 2, 5, 2, "x"},
                      BadElementCase{"SecondZero", "6", "0", 2, 5, 2, "1 o mayor"},
                      BadElementCase{"SecondAfterCancel", nullptr, "-1", 2, 1, 2, "1 o mayor"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Commands, SwapKeepsSymmetryInZorvath) {
    Start(kZorvath);
    const engine::RelationMatrix start = E().relation;
    dialogs.Ok("1");
    dialogs.Ok("10");
    Click(8);
    ExpectSwapped(start, E().relation, 10, 0, 9);
    EXPECT_TRUE(IsSymmetric(E()));
}

}  // namespace
}  // namespace ui_test
