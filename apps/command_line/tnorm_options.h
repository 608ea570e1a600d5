#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <optional>
#include <stdexcept>
#include <vector>

#include "engine/tnorm_family.h"
#include "engine/variant.h"

namespace cli {

/// Options of the t-norm families used the wrong way; the command line reports it as a usage error.
class TNormOptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The options that analyse a relation under t-norms of any family: --tnorma (repeatable),
/// --barrido with --lineal and --barrido-csv. All go with --analiza.
class TNormOptions {
public:
    TNormOptions();
    void AddTo(QCommandLineParser& parser) const;
    /// True when any of them was given.
    bool Given(const QCommandLineParser& parser) const;
    /// Reads and checks them (names, ranges, the sweep), or throws TNormOptionError.
    void Read(const QCommandLineParser& parser);
    /// Analyses the relation file under every asked t-norm and writes their texts to standard
    /// output, then the sweep's table, if one was asked, to its file or to standard output.
    int Run(const engine::Variant& variant, const QString& relationFile) const;

private:
    QCommandLineOption tnorm_, sweep_, linear_, sweepCsv_;
    std::vector<engine::AnyTNorm> tnorms_;
    /// The t-norms of the sweep, in order of their parameter.
    std::vector<engine::AnyTNorm> sweepPoints_;
    std::optional<QString> sweepFile_;
};

}  // namespace cli
