// Entry point of the benchmarks that drive the window: one application object, on Qt's
// offscreen platform unless a platform is chosen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "toolkit/number_text.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    toolkit::KeepCNumericLocale();  // as the programs do
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
