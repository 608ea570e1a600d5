// NumPy and Matrix Market files: our writers read back bit for bit, the layouts the peers may
// write, the format picked by content before name, and every refusal with its message. (What
// numpy.save and scipy.io.mmwrite write, and what they read of ours: tests/apps/peer_files.py.)

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "formats/matrix_market.h"
#include "formats/npy.h"
#include "formats/relation_file.h"
#include "tests/support.h"

namespace {

using namespace std::string_literals;
using formats::SquareMatrix;

// A version 1.0 .npy with this header and these little-endian values.
template <class T>
std::string Npy(const std::string& header, const std::vector<T>& values, char major = 1) {
    std::string bytes = "\x93NUMPY"s + major + '\0' + static_cast<char>(header.size()) + '\0' + (major > 1 ? "\0\0"s : "");
    bytes += header;
    for (const T value : values) bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    return bytes;
}
std::string F4(const std::string& shape, const std::vector<float>& values, const std::string& order = "False") {
    return Npy("{'descr': '<f4', 'fortran_order': " + order + ", 'shape': " + shape + ", }\n", values);
}

TEST(MatrixFiles, WritersReadBackBitForBit) {
    std::mt19937 random(2020);
    for (const int n : {1, 3, 100}) {
        SquareMatrix m{n, std::vector<float>(static_cast<std::size_t>(n) * n)};
        // Any float of [0, 1] by its bits, and the eleven degrees.
        for (std::size_t k = 0; k < m.values.size(); ++k)
            m.values[k] = k < 11 ? static_cast<float>(k) / 10.0f : std::bit_cast<float>(static_cast<std::uint32_t>(random() % 0x3F800001u));
        for (const SquareMatrix& read : {formats::ParseNpy(formats::NpyBytes(formats::ViewOf(m))),
                                         formats::ParseMatrixMarket(formats::MatrixMarketText(formats::ViewOf(m)))}) {
            ASSERT_EQ(read.n, n);
            EXPECT_EQ(std::memcmp(read.values.data(), m.values.data(), m.values.size() * sizeof(float)), 0) << n;
        }
    }
}

// Layouts numpy.save does not write today but Python reads alike, and what Matrix Market allows
// beyond what scipy.io.mmwrite writes.
TEST(MatrixFiles, ReadsEveryLayoutAlike) {
    const std::vector<float> expected = {1, 0.5f, 0, 0.25f};  // row after row
    const std::string layouts[] = {
        Npy("{\"shape\":(2,2),\"fortran_order\":False,\"descr\":\"<f8\"}", std::vector<double>{1, 0.5, -0.0, 0.25}, 2),
        "%%matrixmarket MATRIX Coordinate Real General\r\n% c\r\n\r\n2 2 3\r\n2 2 2.5e-1\r\n1 1 1\r\n1 2 +0.5\r\n\r\n",
        "%%MatrixMarket matrix array real general\n2 2\n1\n0\n0.5\n%\n0.25\n",
    };
    for (const std::string& bytes : layouts) {
        const SquareMatrix m = formats::ParseRelationBytes(bytes, formats::FormatOf("x.txt", bytes));
        EXPECT_EQ(m.n, 2);
        EXPECT_EQ(m.values, expected) << bytes;
        EXPECT_FALSE(std::signbit(m.values[2]));
    }
}

// Each refusal names the place; the relation file names the file and leaves the matrix alone.
TEST(MatrixFiles, RefusesWhatIsNotARelationSayingWhere) {
    const std::string mm = "%%MatrixMarket matrix ";
    const std::string f8 = "{'descr': '<f8', 'fortran_order': False, 'shape': (1, 1), }";
    const std::pair<std::string, std::string> cases[] = {
        {F4("(2, 2)", {0, 0.5f, 1.5f, 0}), "fila 2, columna 1: 1.5 no está entre 0 y 1"},
        {F4("(2, 2)", {0, 0.5f, 2, NAN}, "True"), "fila 1, columna 2: 2 no está entre 0 y 1"},
        {Npy(f8, std::vector<double>{NAN}), "fila 1, columna 1: nan no es un número finito"},
        {Npy(f8, std::vector<double>{1.0000000000000002}), "fila 1, columna 1: 1.0000000000000002 no está entre 0 y 1"},
        {Npy("{'descr': '<i8', 'fortran_order': False, 'shape': (1, 1)}", std::vector<long long>{1}),
         "los valores son de tipo '<i8' y han de ser float32 o float64 ('<f4' o '<f8')"},
        {F4("(2, 3)", {}), "la matriz no es cuadrada: tiene 2 filas de 3 valores"},
        {F4("(4,)", {}), "la matriz tiene 1 dimensión (4,) y ha de tener 2"},
        {F4("(5001, 5001)", {}), "la matriz es de 5001 × 5001 y el programa admite hasta 5000 × 5000"},
        {F4("(2, 2)", {0, 0, 0}), "faltan datos: la cabecera anuncia 2 × 2 valores de 4 bytes (16 bytes) y hay 12"},
        {F4("(1, 1)", {0, 0}), "sobran 4 bytes tras los 1 × 1 valores que anuncia la cabecera"},
        {"\x93NUMPY\x01\x00\xff\x00{}"s, "la cabecera de NumPy está cortada"},
        {"\x93NUMPY\x04\x00\x02\x00{}"s, "la versión 4.0 del formato de NumPy no se lee (solo 1.0, 2.0 y 3.0)"},
        {Npy<float>("{'x': 1}", {}), "la cabecera de NumPy tiene una clave desconocida: 'x'"},
        {Npy<float>("{'descr' '<f4'}", {}), "la cabecera de NumPy no se entiende a partir de «'<f4'}»"},
        {mm + "array real general\n2 2\n0\n0.5\n1.5\n0\n", "línea 5 (fila 1, columna 2): 1.5 no está entre 0 y 1"},
        {mm + "array integer general\n1 1\n0.5\n", "línea 3 (fila 1, columna 1): '0.5' no es un entero"},
        {mm + "array real general\n2 2\n0\n0\n0\n", "faltan valores: hay 3 y la matriz de 2 × 2 tiene 4"},
        {mm + "array real general\n1 1\n0\n1\n", "línea 4: sobra: la matriz de 1 × 1 tiene 1 valor"},
        {mm + "coordinate real general\n2 2 2\n1 2 0.5\n%\n1 2 0.5\n", "línea 5: la fila 1, columna 2 ya tiene valor en la línea 3"},
        {mm + "coordinate real symmetric\n2 2 2\n2 1 0.5\n1 2 0.5\n",
         "línea 4: la fila 1, columna 2 ya tiene valor en la línea 3 (la entrada simétrica)"},
        {mm + "coordinate real general\n2 2 1\n3 1 0.5\n", "línea 3: la fila '3' no está entre 1 y 2"},
        {mm + "coordinate pattern general\n2 2 5\n", "línea 2: anuncia 5 entradas y una matriz de 2 × 2 tiene 4"},
    };
    const test_support::ScratchDir dir("matrix_files");
    engine::RelationMatrix out{};
    out[0][0] = -2.0f;
    for (const auto& [bytes, message] : cases) {
        // By content, whatever the name; by name when the content does not say.
        std::ofstream(dir / "m.txt", std::ios::binary) << bytes;
        EXPECT_EQ(test_support::ErrorText([&] { formats::ReadRelationFile(dir / "m.txt", out); }),
                  "El fichero «" + (dir / "m.txt").string() + "» no contiene una matriz válida: " + message);
        EXPECT_EQ(out[0][0], -2.0f);
    }
    for (const auto& [name, message] :
         {std::pair("m.npy", "no empieza por la marca de los ficheros de NumPy"),
          {"m.MTX", "la primera línea no es la cabecera de Matrix Market (%%MatrixMarket matrix …)"}}) {
        std::ofstream(dir / name) << "1\n";
        EXPECT_EQ(test_support::ErrorText([&] { formats::ReadRelationFile(dir / name, out); }),
                  "El fichero «" + (dir / name).string() + "» no contiene una matriz válida: " + message);
    }
}

}  // namespace
