#include "formats/analysis_matrices.h"

#include "formats/npy.h"
#include "formats/square_matrix.h"
#include "toolkit/file_io.h"

namespace formats {

std::vector<std::filesystem::path> AnalysisMatrixPaths(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> paths;
    for (const std::string_view name : kAnalysisMatrixFiles) paths.push_back(folder / name);
    return paths;
}

void CheckAnalysisMatrices(const std::filesystem::path& folder) {
    for (const std::filesystem::path& path : AnalysisMatrixPaths(folder)) toolkit::CheckWritable(path);
}

void WriteAnalysisMatrices(const std::filesystem::path& folder, int n, const engine::RelationMatrix& relation,
                           const engine::Analysis& results) {
    std::array<const engine::RelationMatrix*, kAnalysisMatrixFiles.size()> matrices{&relation};
    for (int t = 0; t < engine::kTNormCount; ++t) {
        const auto tnorm = static_cast<engine::TNorm>(t);
        matrices[1 + t] = &results.Closure(tnorm);
        matrices[4 + t] = &results.Transitivized(tnorm);
        matrices[7 + t] = &results.Order(tnorm);
    }
    const std::vector<std::filesystem::path> paths = AnalysisMatrixPaths(folder);
    for (std::size_t k = 0; k < paths.size(); ++k) toolkit::SaveFileAtomically(paths[k], NpyBytes(ViewOf(n, *matrices[k])));
}

void CheckMatrixFiles(const std::filesystem::path& folder, const std::vector<std::string>& files) {
    for (const std::string& file : files) toolkit::CheckWritable(folder / file);
}

void WriteMatrixFiles(const std::filesystem::path& folder, int n, const std::vector<NamedMatrix>& matrices) {
    for (const NamedMatrix& m : matrices) toolkit::SaveFileAtomically(folder / m.file, NpyBytes(ViewOf(n, *m.matrix)));
}

}  // namespace formats
