#pragma once

#include "engine/variant.h"

namespace ui {

/// The entry point of both programs: the application, the real dialogs and the window
/// (whose construction runs the first trial), then the message loop until the window closes.
/// An error that escapes is shown in the error box. Returns 0.
int RunProgram(int argc, char** argv, const engine::Variant& variant);

}  // namespace ui
