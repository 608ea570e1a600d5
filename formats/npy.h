#pragma once

#include <string>
#include <string_view>

#include "formats/square_matrix.h"

namespace formats {

/// The first bytes of every NumPy array file.
inline constexpr std::string_view kNpyMagic = "\x93NUMPY";

/// Reads a NumPy array file as numpy.save writes it: format version 1.0, 2.0 or 3.0; a
/// square two-dimensional array of float32 or float64 ('<f4', '<f8', '>f4', '>f8'), in C or
/// Fortran order; every value a number in [0, 1] (read as a double, then rounded to 32 bits;
/// −0 as 0). Anything else throws toolkit::FileError with the reason only, saying where:
/// "la cabecera de NumPy …", "fila 3, columna 5: 1.5 no está entre 0 y 1", "faltan datos: …".
SquareMatrix ParseNpy(std::string_view bytes);

/// The block as numpy.save writes a C-ordered float32 array: version 1.0, the header padded
/// with spaces (and numpy's room for a longer first axis) to a multiple of 64 bytes, the values
/// little-endian row after row, bit for bit as they are.
std::string NpyBytes(const MatrixView& m);

}  // namespace formats
