#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/family_analysis.h"
#include "engine/tnorm_family.h"
#include "experiments/experiment.h"
#include "experiments/tnorm_sweep.h"

namespace cli {

/// Options of the t-norm families used the wrong way; the command line reports it as a usage error.
class TNormOptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The options that analyse a relation under t-norms of any family: --tnorma (repeatable),
/// --barrido with --lineal and --barrido-csv. All go with --analiza. With --tnorma, the texts,
/// --salva-todo and --figuras are those of the asked t-norms; without it, the program's three.
class TNormOptions {
public:
    TNormOptions();
    void AddTo(QCommandLineParser& parser) const;
    /// True when any of them was given.
    bool Given(const QCommandLineParser& parser) const;
    /// Reads and checks them (names, ranges, the sweep), or throws TNormOptionError.
    void Read(const QCommandLineParser& parser);
    /// True when --tnorma named t-norms.
    bool AskedTNorms() const { return !tnorms_.empty(); }

    /// Analyses the experiment's relation under every asked t-norm and along the sweep.
    void Analyze(const experiments::Experiment& experiment);
    /// The asked t-norms' texts, a t-norm after the other, as --analiza writes the program's.
    std::string Texts() const;
    /// The "save all" file with the asked t-norms' results in place of the program's three:
    /// per t-norm its closure, its transitivized matrix and its visit order.
    std::string SaveAllText(const experiments::Experiment& experiment) const;
    /// The asked t-norms' heat maps (with the relation's) and the sweep's chart into `folder`.
    void WriteFigures(const experiments::Experiment& experiment, const QString& folder) const;
    /// The files --matrices writes with --tnorma: the relation, and per asked t-norm its closure,
    /// its transitivized matrix and visit order (where it has them), named as the figures
    /// ("cierre_hamacher_0.5.npy").
    std::vector<std::string> MatrixFiles() const;
    /// Writes them into `folder`.
    void WriteMatrices(const experiments::Experiment& experiment, const std::filesystem::path& folder) const;
    /// The sweep's table to its file or to standard output; nothing without a sweep.
    void WriteSweep() const;

private:
    QCommandLineOption tnorm_, sweep_, linear_, sweepCsv_;
    std::vector<engine::AnyTNorm> tnorms_;
    /// The t-norms of the sweep, in order of their parameter.
    std::vector<engine::AnyTNorm> sweepPoints_;
    bool sweepLinear_ = false;
    std::optional<QString> sweepFile_;
    std::vector<std::unique_ptr<engine::FamilyAnalysis>> results_;  // one per asked t-norm
    std::vector<experiments::SweepPoint> sweepResults_;
};

}  // namespace cli
