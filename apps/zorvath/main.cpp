// Placeholder until the window exists: runs the start-up trial and prints its results.
#include <iostream>
#include <memory>

#include "engine/engine.h"

int main() {
    auto engine = std::make_unique<engine::Engine>(engine::kZorvath);
    engine->RunTrial();
    for (const auto& text : engine->resultText) std::cout << text << "\n\n";
    return 0;
}
