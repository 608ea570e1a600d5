#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>
#include <string_view>

#include "engine/relation_matrix.h"
#include "formats/square_matrix.h"
#include "toolkit/file_io.h"

namespace formats {

/// A relation file is text: one row of the matrix per line, n values per row. ParseRelation
/// reads what the program writes and what spreadsheets, R and numpy write:
/// - UTF-8 (with or without its byte-order mark), or UTF-16 LE/BE with its byte-order mark;
///   lines end in LF, CR LF or CR; blank lines may follow the last row, nowhere else.
/// - Values separated by TAB if a row holds one; else by ';' if the text holds one; else, if
///   it holds a ',', by ',' (with decimal points) or, should that not give a matrix, by
///   blanks; else by blanks (runs of spaces and TABs). Blanks around a value are ignored.
/// - A value is an optional sign, digits with an optional decimal mark (at least one digit
///   in all) and an optional exponent; the mark is '.' or ',' except when ',' separates the
///   values. It is read as the program reads its degrees (toolkit::StrToFloat, then rounded
///   to 32 bits) and must lie in [0, 1] as a double; −0 is stored as 0.
/// Returns n and fills the n × n block of `out`. A text that is not such a matrix throws
/// FileError with the reason only ("fila 2, columna 3: 'x' no es un número") and leaves
/// `out` as it was.
int ParseRelation(std::string_view bytes, engine::RelationMatrix& out);
/// The same reading, giving the matrix.
SquareMatrix ParseRelationText(std::string_view bytes);

/// The largest relation file read: room for a 5,000 × 5,000 relation in every layout, Matrix
/// Market's coordinate lines of seventeen-digit values (about 32 bytes an entry) included.
inline constexpr std::size_t kRelationFileLimit = 1024 * toolkit::kMiB;

/// The layouts a relation file may have: our text, NumPy's .npy, Matrix Market's .mtx.
enum class RelationFormat { Text, Npy, MatrixMarket };

/// The format of a file to write, by its name's extension (.npy, .mtx, in any case); text
/// for any other name.
RelationFormat FormatForName(const std::filesystem::path& path);
/// The format of a file read: NumPy or Matrix Market when its first bytes say so (whatever
/// its name), else the one its extension names, else text.
RelationFormat FormatOf(const std::filesystem::path& path, std::string_view bytes);
/// Parses the bytes in the given format; throws FileError with the reason only.
SquareMatrix ParseRelationBytes(std::string_view bytes, RelationFormat format);

/// Reads and parses a relation file of any of the formats, of at most kRelationFileLimit
/// bytes; one that is not a matrix throws FileError naming the file and the reason.
SquareMatrix ReadRelation(const std::filesystem::path& path);
/// The same into the leading n × n block of `out`, which stays as it was on a refusal;
/// returns n.
int ReadRelationFile(const std::filesystem::path& path, engine::RelationMatrix& out);

/// The n × n block as the file `path` holds it in the format its name asks for
/// (FormatForName): NpyBytes, MatrixMarketText or RelationText with `separator`.
std::string RelationFileBytes(const std::filesystem::path& path, int n, const engine::RelationMatrix& m, char separator);

/// The n × n block, a row per line, values separated by TAB, CR LF after every line; each
/// value as the shortest text, with `separator`, that ParseRelation reads back to the same
/// float.
std::string RelationText(int n, const engine::RelationMatrix& m, char separator);

/// The same layout with each value truncated to a whole number (the visit orders).
std::string IntegerMatrixText(int n, const engine::RelationMatrix& m);

/// Everything one trial shows, as the "save all" file holds it.
struct SaveAllContent {
    std::string program;  // "Zorvath" or "Zorvane"
    int dimension = 0;
    int trialNumber = 0;
    bool generateReflexive = false, generateSymmetric = false;  // the options for drawing relations
    char separator = '.';
    const engine::RelationMatrix* relation = nullptr;
    std::array<const engine::RelationMatrix*, 6> results{};  // Min, Prod, W closures, then Min, Prod, W transitivized
    std::array<std::string, 6> resultTexts;                 // their three-line texts, lines separated by '\n' (UTF-8)
    std::array<const engine::RelationMatrix*, 3> orders{};  // Min, Prod, W visit orders
};

/// Windows-1252 text with CR LF line ends: a heading line (program, dimension, trial number,
/// whether the relation is reflexive and symmetric, the two generation options, each after its
/// name, TAB-separated), then the relation, the six results (each after the
/// lines of its text) and the three visit orders, each block followed by an empty line.
/// Throws std::out_of_range for a dimension outside 1 … 5000 (or past a matrix's storage) and
/// std::invalid_argument for a missing matrix.
std::string SaveAllText(const SaveAllContent& content);

/// One block of a "save all" file: the lines of its text, then its matrix, if any.
struct SavedBlock {
    std::string text;  // lines separated by '\n' (UTF-8)
    const engine::RelationMatrix* matrix = nullptr;
    bool wholeNumbers = false;  // a visit order
};

/// The same file with the blocks after the relation chosen by the caller (the results of other
/// t-norms) instead of the six results and three visit orders, which are not read.
std::string SaveAllText(const SaveAllContent& content, const std::vector<SavedBlock>& blocks);

}  // namespace formats
