// Zorvane: the window program built with the Zorvane variant.
#include "engine/variant.h"
#include "ui/program.h"

int main(int argc, char** argv) { return ui::RunProgram(argc, argv, engine::kZorvane); }
