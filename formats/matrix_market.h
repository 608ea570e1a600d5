#pragma once

#include <string>
#include <string_view>

#include "formats/square_matrix.h"

namespace formats {

/// The first word of every Matrix Market file (its case does not matter).
inline constexpr std::string_view kMatrixMarketBanner = "%%MatrixMarket";

/// Reads a Matrix Market file as scipy.io.mmwrite and other tools write it: the header
/// "%%MatrixMarket matrix array|coordinate real|integer|pattern general|symmetric" (pattern
/// only with coordinate), comment lines ('%') and blank lines anywhere after it, the size line
/// of a square matrix, then the values: an array's column by column, one per line (a symmetric
/// one's lower triangle only); a coordinate file's entries as "row column [value]", counted
/// from 1, in any order, an entry of a symmetric one standing for its mirror entry too, absent
/// entries 0, a pattern entry 1. Each value must be a number in [0, 1] (read as a double, then
/// rounded to 32 bits; −0 as 0). Anything else, an entry given twice included, throws
/// toolkit::FileError with the reason only, naming the line ("línea 7 (fila 2, columna 3): 1.5
/// no está entre 0 y 1").
SquareMatrix ParseMatrixMarket(std::string_view bytes);

/// "array real general": the size line, then the values column by column, one per line, each
/// as the shortest text with a decimal point that reads back (through a double) to the same
/// float; LF line ends, the same in every locale.
std::string MatrixMarketText(const MatrixView& m);

}  // namespace formats
