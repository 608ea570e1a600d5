#pragma once

#include <filesystem>

namespace formats {

/// What an output file of ours holds, for refusing to put it in place of a file of another kind.
enum class OutputKind { Table, Raw, Workbook, SaveAll };

/// Refuses, with toolkit::FileError and before anything is created or changed, an output
/// that cannot be written (see toolkit::CheckWritable) or that would replace an existing,
/// non-empty file that is not of its kind: a relation, a table, a raw file or a workbook is
/// never lost to an output of another kind written over it by mistake.
void CheckOutput(const std::filesystem::path& path, OutputKind kind);

}  // namespace formats
