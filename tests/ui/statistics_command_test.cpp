// The statistics command of the window, run by clicking its button: refusals, the file and
// state of a batch against the command line's and a plain run's, and a batch cancelled or
// closed midway.
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "experiments/pie.h"
#include "experiments/statistics_batch.h"
#include "experiments/statistics_file.h"
#include "form_fixture.h"
#include "tests/apps/run_command.h"
#include "tests/experiments/same_state.h"

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
        dialogs.inputs = {dimensions, samples};
        dialogs.asked.clear();
        dialogs.saveName.reset();
        if (file) dialogs.saveName = QString::fromStdString((dir / file).string());
        Click("Button6");
    }
    // A fresh experiment as the window has it after start-up.
    std::unique_ptr<experiments::Experiment> Started() const {
        auto x = std::make_unique<experiments::Experiment>(GetParam());
        x->RunTrial();
        return x;
    }
    const fs::path dir = fs::temp_directory_path() / ("statistics_command_" + std::to_string(::getpid()));
};

TEST_P(StatisticsCommand, RefusalsRunNothingAndABatchIsTheCommandLines) {
    ASSERT_EQ(::mkfifo((dir / "tuberia").c_str(), 0600), 0);
    // Answers (nullptr: Cancel), then the dialogs shown and the errors shown.
    const std::tuple<const char*, const char*, const char*, int, int> refusals[] = {
        {nullptr, "3", "a.txt", 1, 0},  // either question cancelled: quietly
        {"3", nullptr, "a.txt", 2, 0},
        {"tres", "3", "a.txt", 2, 1},  // refused before the save dialog
        {"101", "3", "a.txt", 2, 1},
        {"3", "0", "a.txt", 2, 1},
        {"5", "2", nullptr, 3, 0},            // save dialog cancelled
        {"3", "2", "no_existe/a.txt", 3, 1},  // refused before any work starts
        {"3", "2", "tuberia", 3, 1},
    };
    const engine::RelationMatrix relation = E().relation;
    for (const auto& c : refusals) {
        SCOPED_TRACE(&c - refusals);
        const auto& [dimensions, samples, file, asked, errors] = c;
        dialogs.errors.clear();
        Run(dimensions, samples, file);
        EXPECT_EQ(dialogs.asked.size(), asked);
        EXPECT_EQ(dialogs.errors.size(), errors);
        EXPECT_EQ(E().trialCount, 1);
        EXPECT_EQ(E().relation, relation);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "only the FIFO";

    Run("4", " 3 ", "ventana.txt");
    EXPECT_EQ(dialogs.asked, QStringList({"Genera fichero: Dame num Dimensiones",
                                          "Genera fichero: Dame num Matrices generadas por dim",
                                          "save fichero de texto|*.txt|todos los archivos|* .txt (replace?)",
                                          "progress Genera fichero 9"}));
    // The command line writes the same bytes, from its own start.
    const char* program = GetParam().program == engine::Variant::Program::Zorvath ? ZORVATH_EXE : ZORVANE_EXE;
    const auto command = test_support::RunCommand(program, {"--estadisticas", "4", "3", (dir / "orden.txt").string()});
    ASSERT_EQ(command.status, 0) << command.err;
    const std::string bytes = ReadFile(dir / "ventana.txt");
    EXPECT_EQ(bytes, ReadFile(dir / "orden.txt"));
    EXPECT_EQ(bytes.find(','), std::string::npos) << "a decimal point whatever the window's separator";
    // The window is left as a plain run leaves it, and shows it.
    auto plain = Started();
    experiments::RunStatisticsBatch(dir / "plano.txt", *plain, 4, 3, {});
    test_support::ExpectSameExperiment(form->experiment(), *plain);
    EXPECT_EQ(Label(9)->text(), "Dist1, Dim: 4 matrices:10");
    for (int t = 0; t < 3; ++t)
        EXPECT_EQ(form->closureGreaterPercent[t],
                  experiments::ClosureGreaterPercent(plain->statistics.closureGreaterCount[t],
                                                     plain->statistics.closureNotGreaterCount[t]));
}

TEST_P(StatisticsCommand, CancelOrCloseEndsAtATrialBoundaryKeepingTheCompleteRows) {
    for (const bool close : {false, true}) {
        SCOPED_TRACE(close ? "close" : "cancel");
        Start(GetParam());
        form->show();
        dialogs.onProgress = [&](int) {
            if (close) form->close();
            else dialogs.cancel = true;
        };
        Run("100", "20", "parcial.txt");
        const int trials = E().trialCount - 1, completed = trials / 20;
        ASSERT_LT(trials, 99 * 20);
        // The rows of the completed dimensions, as a plain run writes them, then the empty line.
        auto plain = Started();
        experiments::RunStatisticsBatch(dir / "plano.txt", *plain, 1 + completed, 20, {});
        std::string expected, rows = ReadFile(dir / "plano.txt");
        for (const std::string& line : experiments::StatisticsHeading(100, 20)) {
            expected += line + "\r\n";
            rows.erase(0, rows.find("\r\n") + 2);
        }
        EXPECT_EQ(ReadFile(dir / "parcial.txt"), expected + rows);
        // The experiment stands where the plain run of the same trials stands (a stop between
        // two dimensions leaves the last one's dimension and counters).
        if (trials > completed * 20) {
            plain->engine.dimension = completed + 2;
            plain->statistics.ResetCounters();
        }
        for (int k = completed * 20; k < trials; ++k) plain->RunTrial();
        test_support::ExpectSameExperiment(form->experiment(), *plain);
        QCoreApplication::processEvents();
        EXPECT_EQ(form->isVisible(), !close);
    }
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, StatisticsCommand, ::testing::Values(engine::kZorvath, engine::kZorvane),
                         [](const auto& param) { return param.index ? "Zorvane" : "Zorvath"; });

}  // namespace
}  // namespace ui_test
