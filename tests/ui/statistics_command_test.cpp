// The statistics command of the window, run by clicking its button: refusals, the file and
// state of a batch against a plain run's, a batch cancelled or closed midway, and the other
// file types the extension of the chosen name asks for. (That the command line writes the file
// of a plain run too: the command line tests.)
#include <sys/stat.h>

#include <QCoreApplication>
#include <algorithm>
#include <string>
#include <tuple>

#include "experiments/statistics_batch.h"
#include "formats/statistics_file.h"
#include "form_fixture.h"
#include "formats/raw_trials.h"
#include "tests/experiments/same_state.h"

namespace ui_test {
namespace {

namespace fs = std::filesystem;
using test_support::Contents;
using test_support::ExpectSameExperiment;

class StatisticsCommand : public FormTest, public ::testing::WithParamInterface<engine::Variant> {
protected:
    void SetUp() override { Start(GetParam()); }
    // Answers the two questions and the save dialog (nullptr: Cancel), then clicks.
    void Run(const char* dimensions, const char* samples, const char* file) {
        dialogs.inputs = {dimensions, samples};
        dialogs.asked.clear();
        dialogs.saveName = file ? std::optional(QString::fromStdString((dir / file).string())) : std::nullopt;
        Click("Button6");
    }
    const test_support::ScratchDir dir{"statistics_command"};
};

TEST_P(StatisticsCommand, RefusalsRunNothingAndABatchIsAPlainRun) {
    ASSERT_EQ(::mkfifo((dir / "tuberia").c_str(), 0600), 0);
    // Answers (nullptr: Cancel), then the number of dialogs shown and the message shown, if any.
    const std::tuple<const char*, const char*, const char*, int, std::string> refusals[] = {
        {nullptr, "3", "a.txt", 1, ""}, {"3", nullptr, "a.txt", 2, ""},  // either question cancelled: quietly
        {"tres", "3", "a.txt", 2, "'tres' no es un valor entero válido"},  // refused before the save dialog
        {"101", "3", "a.txt", 2, "La dimensión máxima no puede pasar de 100 (se ha pedido 101)."},
        {"3", "0", "a.txt", 2, "El número de matrices por dimensión debe ser al menos 1 (se ha pedido 0)."},
        {"5", "2", nullptr, 3, ""},  // save dialog cancelled
        {"3", "2", "tuberia", 3,     // refused before any work starts
         "No se ha podido abrir el fichero «" + (dir / "tuberia").string() + "»: no es un fichero normal"},
    };
    const engine::RelationMatrix relation = E().relation;
    for (const auto& [dimensions, samples, file, asked, message] : refusals) {
        SCOPED_TRACE(message);
        dialogs.errors.clear();
        Run(dimensions, samples, file);
        EXPECT_EQ(dialogs.asked.size(), asked);
        EXPECT_EQ(dialogs.errors, message.empty() ? QStringList() : QStringList{QString::fromStdString(message)});
        EXPECT_TRUE(E().trialCount == 1 && E().relation == relation);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1) << "only the FIFO";

    Run("4", " 3 ", "ventana.txt");
    EXPECT_EQ(dialogs.asked, QStringList({"Genera fichero: Dame num Dimensiones",
                                          "Genera fichero: Dame num Matrices generadas por dim",
                                          "save fichero de texto|*.txt|ensayos uno a uno|*.csv|Libro de cálculo|*.xlsx|"
                                          "todos los archivos|* .txt (replace?)",
                                          "progress Genera fichero 9"}));
    // The file and the state of a plain run from the window's start, and the window shows it.
    auto plain = test_support::Started(GetParam());
    experiments::RunStatisticsBatch(dir / "plano.txt", *plain, 4, 3, {});
    EXPECT_EQ(Contents(dir / "ventana.txt"), Contents(dir / "plano.txt"));
    ExpectSameExperiment(form->experiment(), *plain);
    EXPECT_EQ(Label(9)->text(), "Dist1, Dim: 4 matrices:10");
}

TEST_P(StatisticsCommand, CancelOrCloseEndsAtATrialBoundaryKeepingTheCompleteRows) {
    for (const bool close : {false, true}) {
        SCOPED_TRACE(close ? "close" : "cancel");
        Start(GetParam());
        form->show();
        dialogs.onProgress = [&](int) { close ? void(form->close()) : void(dialogs.cancel = true); };
        Run("100", "20", "parcial.txt");
        const int trials = E().trialCount - 1, completed = trials / 20;
        ASSERT_LT(trials, 99 * 20);
        // The rows of the completed dimensions, as a plain run writes them, then the empty line.
        auto plain = test_support::Started(GetParam());
        experiments::RunStatisticsBatch(dir / "plano.txt", *plain, 1 + completed, 20, {});
        std::string expected, rows = Contents(dir / "plano.txt");
        for (const std::string& line : formats::StatisticsHeading(100, 20)) {
            expected += line + "\r\n";
            rows.erase(0, rows.find("\r\n") + 2);
        }
        EXPECT_EQ(Contents(dir / "parcial.txt"), expected + rows);
        // The experiment stands where the plain run of the same trials stands (a stop between
        // two dimensions leaves the last one's dimension and counters).
        if (trials > completed * 20) {
            plain->engine.dimension = completed + 2;
            plain->statistics.ResetCounters();
        }
        for (int k = completed * 20; k < trials; ++k) plain->RunTrial();
        ExpectSameExperiment(form->experiment(), *plain);
        QCoreApplication::processEvents();
        EXPECT_EQ(form->isVisible(), !close);
    }
}

// The trials one by one (.csv) and the workbook (.xlsx) instead of the table; "Cancelar" pressed,
// the workbook of the trials run is written all the same.
TEST_P(StatisticsCommand, TheExtensionChoosesTheFile) {
    Run("4", "3", "ensayos.CSV");
    const std::string raw = Contents(dir / "ensayos.CSV");
    // The header, then 3 dimensions × 3 trials; the window's sequence has no seed of the user's.
    EXPECT_EQ(raw.substr(0, formats::kRawHeader.size() + 1), std::string(formats::kRawHeader) + "\n");
    EXPECT_EQ(std::count(raw.begin(), raw.end(), '\n'), 10);
    // Program, no seed, not reflexive, symmetric as at the start, then dimension and trial.
    const std::string start =
        "\n" + std::string(engine::ProgramName(GetParam())) + (GetParam().symmetricAtStart ? ",,0,1," : ",,0,0,");
    EXPECT_NE(raw.find(start + "2,1,"), std::string::npos);
    EXPECT_NE(raw.find(start + "4,3,"), std::string::npos);
    EXPECT_EQ(raw.find('\r'), std::string::npos);

    dialogs.cancel = true;
    Run("4", "3", "libro.xlsx");
    EXPECT_EQ(Contents(dir / "libro.xlsx").substr(0, 4), std::string("PK\3\4", 4));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 2) << "no text table";
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n');
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, StatisticsCommand, ::testing::Values(engine::kZorvath, engine::kZorvane),
                         [](const auto& param) { return param.index ? "Zorvane" : "Zorvath"; });

}  // namespace
}  // namespace ui_test
