// Zorvane: the program built with the Zorvane variant; the window, or the command line when
// started with arguments.
#include "apps/command_line/command_line.h"
#include "engine/variant.h"
#include "ui/program.h"

int main(int argc, char** argv) {
    if (cli::WantsCommandLine(argc)) return cli::RunCommandLine(argc, argv, engine::kZorvane);
    return ui::RunProgram(argc, argv, engine::kZorvane);
}
