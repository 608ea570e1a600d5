#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <stdexcept>
#include <vector>

#include "engine/lowering_methods.h"
#include "engine/tnorm_family.h"
#include "engine/variant.h"

namespace cli {

/// The methods options used the wrong way; the command line reports it as a usage error.
class MethodOptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The options that set the ways of making a relation transitive side by side: --metodos
/// LISTA prints their comparison table for every t-norm of --tnorma (Min, Prod and W when
/// none is given), --tabla-metodos writes it as CSV, --diagnostico prints the transitivity of
/// every matrix. All go with --analiza.
class MethodOptions {
public:
    MethodOptions();
    void AddTo(QCommandLineParser& parser) const;
    /// True when any of them was given.
    bool Given(const QCommandLineParser& parser) const;
    /// Reads and checks them and the t-norms of --tnorma, or throws MethodOptionError.
    void Read(const QCommandLineParser& parser);
    /// The files --matrices writes with the methods: the relation and "<método>_<t-norma>.npy"
    /// for every method and t-norm (':' written '_'); those of a method that does not apply
    /// are not written.
    std::vector<std::string> MatrixFiles() const;
    /// The methods and t-norms read.
    const std::vector<engine::Method>& Methods() const { return list_; }
    const std::vector<engine::AnyTNorm>& TNorms() const { return tnorms_; }
    /// Runs the methods on the relation of the file; with `matrices`, writes their matrices there.
    int Run(const engine::Variant& variant, const QString& relationFile,
            const std::optional<std::filesystem::path>& matrices = std::nullopt) const;
    /// The same on the n × n block of a relation already read or drawn.
    int Run(const engine::Variant& variant, int n, const engine::RelationMatrix& relation,
            const std::optional<std::filesystem::path>& matrices) const;

private:
    QCommandLineOption methods_, table_, diagnosis_;
    std::vector<engine::Method> list_;
    std::vector<engine::AnyTNorm> tnorms_;
    std::optional<QString> tableFile_;
    bool printTable_ = false, diagnose_ = false;
};

}  // namespace cli
