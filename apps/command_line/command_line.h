#pragma once

#include "engine/variant.h"

namespace cli {

/// Exit statuses of the command line.
inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;  ///< a file could not be read or written, or the run was interrupted
inline constexpr int kUsage = 2;    ///< the arguments were not understood

/// Started with arguments, a program runs as a command and opens no window.
inline bool WantsCommandLine(int argc) { return argc > 1; }

/// The command line of both programs: the statistics batch and the analysis of a relation
/// file, without a display (only a QCoreApplication). Returns the exit status.
int RunCommandLine(int argc, char** argv, const engine::Variant& variant);

}  // namespace cli
