// One QApplication for every window test, in Spanish as the programs run. Test discovery runs
// this binary at build time without the test environment, so the offscreen platform is chosen
// here when none is set.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

#include "toolkit/number_text.h"
#include "ui/locale.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);  // the figure settings kept apart from the user's
    toolkit::KeepCNumericLocale();  // as the programs do
    ui::InstallSpanishTranslation(application);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
