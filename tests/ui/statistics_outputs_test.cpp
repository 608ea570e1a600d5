// The statistics command's other file types: the extension of the chosen name decides what the
// window writes, and a cancelled batch still leaves the trials it ran.
#include "form_fixture.h"
#include "formats/raw_trials.h"
#include "tests/support.h"

namespace ui_test {
namespace {

class StatisticsOutputs : public FormTest {
protected:
    void SetUp() override { Start(engine::kZorvath); }
    void Run(const char* dimensions, const char* samples, const char* file) {
        dialogs.inputs = {dimensions, samples};
        dialogs.saveName = QString::fromStdString((dir / file).string());
        Click("Button6");
    }
    const test_support::ScratchDir dir{"statistics_outputs"};
};

TEST_F(StatisticsOutputs, TheExtensionChoosesTheFile) {
    Run("4", "3", "ensayos.CSV");
    const std::string raw = test_support::Contents(dir / "ensayos.CSV");
    // The header, then 3 dimensions × 3 trials; the window's sequence has no seed of the user's.
    EXPECT_EQ(raw.substr(0, formats::kRawHeader.size() + 1), std::string(formats::kRawHeader) + "\n");
    EXPECT_EQ(std::count(raw.begin(), raw.end(), '\n'), 10);
    EXPECT_NE(raw.find("\nZorvath,,0,1,2,1,"), std::string::npos);
    EXPECT_NE(raw.find("\nZorvath,,0,1,4,3,"), std::string::npos);
    EXPECT_EQ(raw.find('\r'), std::string::npos);

    // "Cancelar" pressed: the workbook of the trials run is written all the same.
    dialogs.cancel = true;
    Run("4", "3", "libro.xlsx");
    EXPECT_EQ(test_support::Contents(dir / "libro.xlsx").substr(0, 4), std::string("PK\3\4", 4));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 2) << "no text table";
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
}

}  // namespace
}  // namespace ui_test
