// Zorvath: the window program built with the Zorvath variant.
#include "engine/variant.h"
#include "ui/program.h"

int main(int argc, char** argv) { return ui::RunProgram(argc, argv, engine::kZorvath); }
