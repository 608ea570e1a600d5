// The statistics command of the window, run by clicking its button.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "experiments/pie.h"
#include "experiments/statistics_batch.h"
#include "form_fixture.h"

namespace ui_test {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

class StatisticsCommand : public FormTest, public ::testing::WithParamInterface<engine::Variant> {
protected:
    void SetUp() override {
        fs::create_directories(dir);
        Start(GetParam());
    }
    void TearDown() override { fs::remove_all(dir); }
    // Answers the two questions and the save dialog (nullptr: Cancel), then clicks.
    void Run(const char* dimensions, const char* samples, const char* file) {
        dialogs = ScriptedDialogs();
        dialogs.inputs = {dimensions, samples};
        if (file) dialogs.saveName = QString::fromStdString((dir / file).string());
        Click("Button6");
    }
    const fs::path dir = fs::temp_directory_path() / ("statistics_command_" + std::to_string(::getpid()));
};

TEST_P(StatisticsCommand, RefusalsRunNothingAndABatchMatchesAHeadlessOne) {
    // Answers (nullptr: Cancel), then the dialogs shown and the errors shown.
    const std::tuple<const char*, const char*, const char*, int, int> refusals[] = {
        {nullptr, "3", "a.txt", 1, 0},  // either question cancelled: quietly
        {"3", nullptr, "a.txt", 2, 0},
        {"tres", "3", "a.txt", 2, 1},  // refused before the save dialog
        {"101", "3", "a.txt", 2, 1},
        {"3", "0", "a.txt", 2, 1},
        {"5", "2", nullptr, 3, 0},            // save dialog cancelled
        {"3", "2", "no_existe/a.txt", 3, 1},  // a file that cannot be opened
    };
    const engine::RelationMatrix relation = E().relation;
    for (const auto& c : refusals) {
        SCOPED_TRACE(&c - refusals);
        const auto& [dimensions, samples, file, asked, errors] = c;
        Run(dimensions, samples, file);
        EXPECT_EQ(dialogs.asked.size(), asked);
        EXPECT_EQ(dialogs.errors.size(), errors);
        EXPECT_EQ(E().dimension, 10);
        EXPECT_EQ(E().trialCount, 1);
        EXPECT_EQ(E().relation, relation);
    }
    EXPECT_TRUE(fs::is_empty(dir));

    Run("4", " 3 ", "ventana.txt");
    EXPECT_EQ(dialogs.asked, QStringList({"Genera fichero: Dame num Dimensiones",
                                          "Genera fichero: Dame num Matrices generadas por dim",
                                          "save fichero de texto|*.txt|todos los archivos|* .txt (replace?)"}));
    // A fresh experiment, given the window's start-up trial, runs the same batch without a window.
    auto headless = std::make_unique<experiments::Experiment>(GetParam());
    headless->RunTrial();
    experiments::RunStatisticsBatch(dir / "sin_ventana.txt", *headless, 4, 3, {});
    const std::string bytes = ReadFile(dir / "ventana.txt");
    EXPECT_EQ(bytes, ReadFile(dir / "sin_ventana.txt"));
    EXPECT_EQ(bytes.find(','), std::string::npos) << "a decimal point whatever the window's separator";
    // The window is left as the last trial left it.
    EXPECT_EQ(E().dimension, 4);
    EXPECT_EQ(E().trialCount, 1 + 3 * 3);
    EXPECT_EQ(E().relation, headless->engine.relation);
    EXPECT_EQ(Label(9)->text(), "Dist1, Dim: 4 matrices:10");
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(uinftab::PointListCount(form->experiment().statistics.pointSeries[t]), 10);
        const int percent = experiments::ClosureGreaterPercent(headless->statistics.closureGreaterCount[t],
                                                               headless->statistics.closureNotGreaterCount[t]);
        EXPECT_EQ(form->closureGreaterPercent[t], percent);
    }
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, StatisticsCommand, ::testing::Values(engine::kZorvath, engine::kZorvane),
                         [](const auto& param) { return param.index ? "Zorvane" : "Zorvath"; });

}  // namespace
}  // namespace ui_test
