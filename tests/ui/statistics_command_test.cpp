#include <gtest/gtest.h>

#include <unistd.h>

#include <QString>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "experiments/statistics_batch.h"
#include "experiments/uinftab.h"
#include "form_fixture.h"
#include "ui/form1.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
    return fields;
}

// What the engine shows of its state: enough to see that a refused command changed nothing.
struct EngineState {
    int dimension, trialCount;
    std::array<int, 3> greater, notGreater;
    engine::RelationMatrix relation;
    bool operator==(const EngineState&) const = default;
};

EngineState StateOf(const engine::Engine& e) {
    return {e.dimension, e.trialCount, e.closureGreaterCount, e.closureNotGreaterCount, e.relation};
}

// A fresh window of each program; the command is run by clicking its button, so an error
// reaches the error box as it does for the user.
class StatisticsCommand : public ui_test::BothPrograms {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("statistics_command_" + std::to_string(::getpid()) + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        BothPrograms::SetUp();
    }
    void TearDown() override {
        form.reset();
        fs::remove_all(dir_);
    }

    // Answers for the two questions (nothing = Cancel) and the save dialog, then the click.
    void Run(std::optional<QString> dimensions, std::optional<QString> samples, std::optional<QString> file) {
        for (const auto& answer : {dimensions, samples}) {
            if (answer) dialogs.Ok(*answer);
            else dialogs.Cancel();
        }
        dialogs.SaveAs(std::move(file));
        Click(6);
        // Whatever the command did not ask is left over; drop it for the next run.
        dialogs.inputs.clear();
        dialogs.saveNames.clear();
    }
    QString FileName(const char* name) const { return QString::fromStdString((dir_ / name).string()); }

    fs::path dir_;
};

TEST_P(StatisticsCommand, WindowBatchEqualsHeadlessBatch) {
    Run(QStringLiteral("4"), QStringLiteral(" 3 "), FileName("ventana.txt"));
    EXPECT_TRUE(dialogs.errors.empty()) << dialogs.errors.front().toStdString();

    // The questions and the save dialog as the user sees them.
    ASSERT_EQ(dialogs.inputPrompts.size(), 2u);
    EXPECT_EQ(dialogs.inputCaptions, (QStringList{"Genera fichero", "Genera fichero"}));
    EXPECT_EQ(dialogs.inputPrompts,
              (QStringList{"Dame num Dimensiones", "Dame num Matrices generadas por dim"}));
    EXPECT_EQ(dialogs.initialTexts, (QStringList{"", ""}));
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].filter, "fichero de texto|*.txt|todos los archivos|*");
    EXPECT_EQ(dialogs.saveRequests[0].defaultExtension, "txt");
    EXPECT_TRUE(dialogs.saveRequests[0].overwritePrompt);

    // A fresh engine, given the window's start-up trial, then the same batch without a window.
    auto headless = std::make_unique<engine::Engine>(GetParam());
    headless->RunTrial();
    const fs::path headlessFile = dir_ / "sin_ventana.txt";
    experiments::RunStatisticsBatch(headlessFile, *headless, 4, 3, [&] { headless->RunTrial(); });
    const std::string bytes = ReadFile(dir_ / "ventana.txt");
    EXPECT_EQ(bytes, ReadFile(headlessFile));
    EXPECT_EQ(bytes.find(','), std::string::npos) << "decimal point whatever the window's separator";

    // The window is left as the last trial left it.
    const engine::Engine& e = form->engine();
    EXPECT_EQ(e.dimension, 4);
    EXPECT_EQ(e.trialCount, 1 + 3 * 3);
    EXPECT_EQ(e.relation, headless->relation);
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(e.closureGreaterCount[t] + e.closureNotGreaterCount[t], 3);
        EXPECT_EQ(uinftab::PointListCount(e.pointSeries[t]), 10);
    }
    // The pies show the last dimension's percentages, the ones of the last row.
    std::istringstream lines(bytes);
    std::string line, lastRow;
    while (std::getline(lines, line))
        if (line.rfind("4\t", 0) == 0) lastRow = line;
    const std::vector<std::string> fields = Fields(lastRow.substr(0, lastRow.size() - 1));
    ASSERT_EQ(fields.size(), 17u) << lastRow;
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(std::to_string(form->closureGreaterPercent[t]) + "%", fields[3 + 3 * t]) << t;
        EXPECT_EQ(Label(10 + t)->text().toStdString(), fields[3 + 3 * t]) << t;
    }
    EXPECT_EQ(Label(9)->text(), QStringLiteral("Dist1, Dim: 4 matrices:10"));
}

TEST_P(StatisticsCommand, CancelledQuestionEndsQuietly) {
    const EngineState before = StateOf(form->engine());
    Run(std::nullopt, QStringLiteral("3"), FileName("a.txt"));
    EXPECT_EQ(dialogs.inputPrompts.size(), 1u);  // the second question is not asked
    Run(QStringLiteral("3"), std::nullopt, FileName("a.txt"));
    EXPECT_EQ(dialogs.inputPrompts.size(), 3u);
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_TRUE(dialogs.saveRequests.empty());
    EXPECT_FALSE(fs::exists(dir_ / "a.txt"));
    EXPECT_EQ(StateOf(form->engine()), before);
}

TEST_P(StatisticsCommand, BadAnswersAreRefusedBeforeTheSaveDialog) {
    const struct {
        const char *dimensions, *samples, *inMessage;
    } cases[] = {
        {"tres", "3", nullptr},  // conversion errors: the toolkit's own wording
        {"3", "", nullptr},
        {"3", "2,5", nullptr},
        {"101", "3", "100"},
        {"99999", "1", "99999"},
        {"3", "0", "0"},
        {"3", "-4", "-4"},
    };
    const EngineState before = StateOf(form->engine());
    for (const auto& c : cases) {
        dialogs.errors.clear();
        Run(QString::fromUtf8(c.dimensions), QString::fromUtf8(c.samples), FileName("mal.txt"));
        ASSERT_EQ(dialogs.errors.size(), 1u) << c.dimensions << " / " << c.samples;
        EXPECT_FALSE(dialogs.errors[0].isEmpty());
        if (c.inMessage != nullptr) {
            EXPECT_TRUE(dialogs.errors[0].contains(QString::fromUtf8(c.inMessage))) << dialogs.errors[0].toStdString();
        }
    }
    EXPECT_TRUE(dialogs.saveRequests.empty());
    EXPECT_FALSE(fs::exists(dir_ / "mal.txt"));
    EXPECT_EQ(StateOf(form->engine()), before);
}

TEST_P(StatisticsCommand, CancelledSaveDialogRunsNothing) {
    const EngineState before = StateOf(form->engine());
    Run(QStringLiteral("5"), QStringLiteral("2"), std::nullopt);
    EXPECT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(StateOf(form->engine()), before);
}

TEST_P(StatisticsCommand, LargestDimensionBelowTwoWritesTheHeadingOnly) {
    const EngineState before = StateOf(form->engine());
    Run(QStringLiteral("1"), QStringLiteral("4"), FileName("vacio.txt"));
    EXPECT_TRUE(dialogs.errors.empty());
    const std::string bytes = ReadFile(dir_ / "vacio.txt");
    EXPECT_EQ(bytes.rfind("1 Dimensiones \r\n", 0), 0u);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 6);
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "\r\n\r\n");
    EXPECT_EQ(StateOf(form->engine()), before);
}

TEST_P(StatisticsCommand, FileThatCannotBeOpenedIsReportedAndNoTrialRuns) {
    const EngineState before = StateOf(form->engine());
    const QString file = FileName("no_existe/datos.txt");
    Run(QStringLiteral("3"), QStringLiteral("2"), file);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_TRUE(dialogs.errors[0].contains(file)) << dialogs.errors[0].toStdString();
    EXPECT_TRUE(dialogs.errors[0].contains(QString::fromUtf8(std::strerror(ENOENT))));
    EXPECT_EQ(StateOf(form->engine()), before);
}

TEST_P(StatisticsCommand, FileNameWithAccentsIsUsedAsTyped) {
    Run(QStringLiteral("2"), QStringLiteral("1"), FileName("estadística año.txt"));
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_TRUE(fs::exists(dir_ / fs::path(u8"estadística año.txt")));
    EXPECT_EQ(form->engine().dimension, 2);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, StatisticsCommand, testing::Values(engine::kZorvath, engine::kZorvane),
                         ui_test::ParamName);

}  // namespace
