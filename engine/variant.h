#pragma once

namespace engine {

/// What tells the two programs apart. Each program picks one of the two constants below;
/// everything else in the tree is shared.
struct Variant {
    enum class Program { Zorvath, Zorvane };
    Program program;
    /// Transitivization writes every lowered value into the mirror entry too.
    bool symmetrizing;
    /// Start value of the symmetric-generation option.
    bool symmetricAtStart;
    /// The program sets the decimal separator to a comma at start (else: the user's locale).
    bool commaSeparator;
    /// The statistics file writes the means as integers (else as floats).
    bool integerMeans;
};

inline constexpr Variant kZorvath{Variant::Program::Zorvath, true, true, false, true};
inline constexpr Variant kZorvane{Variant::Program::Zorvane, false, false, true, false};

/// "Zorvath" or "Zorvane".
inline const char* ProgramName(const Variant& variant) {
    return variant.program == Variant::Program::Zorvath ? "Zorvath" : "Zorvane";
}

}  // namespace engine
