#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/analysis.h"
#include "engine/relation_matrix.h"

namespace formats {

/// The files of --matrices: the relation, the three closures, the three transitivized
/// matrices and the three visit orders, t-norms in the order Min, Prod, W.
inline constexpr std::array<std::string_view, 10> kAnalysisMatrixFiles = {
    "relacion.npy",          "cierre_min.npy",         "cierre_prod.npy",     "cierre_w.npy", "transitivizada_min.npy",
    "transitivizada_prod.npy", "transitivizada_w.npy", "orden_min.npy", "orden_prod.npy", "orden_w.npy"};

/// The ten files in `folder`, in that order.
std::vector<std::filesystem::path> AnalysisMatrixPaths(const std::filesystem::path& folder);

/// Refuses with FileError, before anything is computed or written, a folder where one of the
/// ten files could not be written (toolkit::CheckWritable).
void CheckAnalysisMatrices(const std::filesystem::path& folder);

/// Writes the n × n blocks of the relation and of every result as NumPy files (float32, C
/// order, row i for element i + 1), each replacing its file at once.
void WriteAnalysisMatrices(const std::filesystem::path& folder, int n, const engine::RelationMatrix& relation,
                           const engine::Analysis& results);

/// A matrix of --matrices under the name of its file.
struct NamedMatrix {
    std::string file;  ///< "cierre_hamacher_0.5.npy"
    const engine::RelationMatrix* matrix;
};

/// Refuses with FileError, before anything is computed or written, a folder where one of the
/// files could not be written.
void CheckMatrixFiles(const std::filesystem::path& folder, const std::vector<std::string>& files);

/// Writes the n × n blocks of the matrices as NumPy files in `folder`, as WriteAnalysisMatrices.
void WriteMatrixFiles(const std::filesystem::path& folder, int n, const std::vector<NamedMatrix>& matrices);

}  // namespace formats
