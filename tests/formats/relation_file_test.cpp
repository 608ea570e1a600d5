// Relation files: the round trip bit for bit, the layouts other programs write, every refusal
// with its message, the "save all" text byte for byte and the size limit. (The other refusals
// of a file: the file I/O tests.)

#include "formats/relation_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/support.h"

namespace {

namespace fs = std::filesystem;
using engine::RelationMatrix;
using namespace std::string_literals;
using test_support::SameBits;

// Every entry set to a value no file can hold, to see what a parse leaves untouched.
RelationMatrix Sentinel() {
    RelationMatrix m;
    m.Fill(-2.0f);
    return m;
}

// ASCII text as UTF-16 with its byte-order mark.
std::string Utf16(const std::string& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : text) out += bigEndian ? "\0"s + c : c + "\0"s;
    return out;
}

TEST(RelationFile, RoundTripBitForBit) {
    std::mt19937 random(20261206);
    for (const char separator : {'.', ','})
        for (const int n : {1, 3, 100}) {
            RelationMatrix m = Sentinel(), expected = Sentinel(), read = Sentinel();
            for (int k = 0; k < n * n; ++k) {
                // The eleven degrees, −0, then any float of [0, 1] by its bits.
                float& x = m[k / n][k % n];
                x = k <= 10 ? static_cast<float>(k) / 10.0f
                    : k == 11 ? -0.0f : std::bit_cast<float>(static_cast<std::uint32_t>(random() % 0x3F800001u));
                expected[k / n][k % n] = x == 0.0f ? 0.0f : x;
            }
            ASSERT_EQ(formats::ParseRelation(formats::RelationText(n, m, separator), read), n);
            EXPECT_TRUE(SameBits(read, expected)) << n << separator;  // nothing outside the block either
        }
}

// What spreadsheets, R and numpy write is read; anything else is refused, saying where, with the
// matrix left untouched.
TEST(RelationFile, ReadsWhatOtherProgramsWriteAndSaysWhereTheRestIsNotAMatrix) {
    const std::string tab = "0,5\t1\r\n0,1\t0\r\n";
    std::string hundredOne, wide = "0", full = "0";
    constexpr int L = formats::kLargestDimension;  // one more than this, in a row or a column, is refused
    for (int k = 0; k < L + 1; ++k) hundredOne += "0\n", wide += k < L ? " 0" : "", full += k < L - 1 ? "\t0" : "";
    const std::string tooWide = "fila 1: tiene más de " + std::to_string(L) + " valores";
    // The bytes, the refusal (empty: read) and the values read, row after row.
    const struct { std::string bytes, refusal; std::vector<float> values = {0.5f, 1.0f, 0.1f, 0.0f}; } cases[] = {
        {tab, ""},                                                // spreadsheet, TAB, decimal commas
        {"\xEF\xBB\xBF" "0,5;1\r\n0,1;0\r\n", ""},                // spreadsheet CSV with ';'
        {"0.5;1\n0.1;0", ""},                                     // the same, decimal points, no final line end
        {"\"0,5\"\t1\n\"0,1\"\t0\n", ""},                         // cells held as text, quoted
        {"\" 0,5 \"\t\"1 \"\n\"0,1\"\t\" 0\"\n", ""},              // blanks inside the quotes
        {"\"0.5 \" \" 1\"\n\"0.1\"  0\n", ""},                      // the same, blanks between fields
        {"\" 0,5 \" 1\r\n\"0,1 \" \"0\"\r\n", ""},                  // and decimal commas
        {"\"0,5\",1\r\n\"0,1\",0\r\n", ""},                         // CSV of a decimal-comma spreadsheet
        {"\"0,5\", \"1\"\n \"0.1\" ,\"0,\"\n", ""},                   // quoted, blanks around, "0,"
        {Utf16(tab, false), ""}, {Utf16(tab + "\r\n", true), ""},  // "Unicode text"
        {"0.5,1\n0.1,0\n", ""},                                   // R write.table(sep = ",")
        {"0.5 1\n0.1 0\n", ""},                                   // R write.table(sep = " ")
        {"5.000000000000000000e-01 1.000000000000000000e+00\n"    // numpy.savetxt, "%.18e"
         "1.000000000000000056e-01 0.000000000000000000e+00\n", ""},
        {"5.000000000000000000e-01,1.000000000000000000e+00\n"    // numpy.savetxt(delimiter = ",")
         "1.000000000000000056e-01,0.000000000000000000e+00\n", ""},
        {"0,5 1\r0,1   0\r\r  \n\t\n", ""},                       // blanks and decimal commas, CR, blank lines at the end
        {" 0.5 \t+1\r\n.1\t-0\r\n", ""},                          // blanks around values, a sign, no leading digit
        {"0,5\n", "", {0.5f}},                                    // ',' between fields would give one row of two
        {"0,1\r\n1,0\r\n", "", {0.0f, 1.0f, 1.0f, 0.0f}},         // ',' between fields does give a matrix
        {"1e-400\n", "", {0.0f}},                                 // underflows the double: zero
        {"", "está vacío"}, {" \r\n\t\n", "está vacío"},
        {"0.5 abc\n", "fila 1, columna 2: 'abc' no es un número"},
        {"0.5\t0.1234567890123456789012x\r\n", "fila 1, columna 2: '0.123456789012345678…' no es un número"},
        {"0.5;1e;0x1", "fila 1, columna 2: '1e' no es un número"},
        {"0.5 1,5.0\n", "fila 1, columna 2: '1,5.0' no es un número"},
        {"\xFF" "1\tá\n", "fila 1, columna 1: '?1' no es un número"},
        {"0.5 1\n1 -Inf\n", "fila 2, columna 2: '-Inf' no es un número finito"},
        {"nan", "fila 1, columna 1: 'nan' no es un número finito"},
        {"1e309", "fila 1, columna 1: '1e309' no es un número finito"},
        {"1.0000001 0\n0 1\n", "fila 1, columna 1: '1.0000001' no está entre 0 y 1"},
        {"0.5;-1e-50\n", "fila 1, columna 2: '-1e-50' no está entre 0 y 1"},
        {"0.5;;1\n", "fila 1, columna 2: falta el valor"},
        {"0.5 \" \"\n", "fila 1, columna 2: falta el valor"},
        {"\"0.5 1\n", "fila 1, columna 1: '\"0.5' no es un número"},  // a quote never closed
        {"\"0,5\",1,5\n\"0,1\",0,0\n", "fila 1, columna 3: '5' no está entre 0 y 1"},  // unquoted: ',' separates
        {"0.5\t1\t\n", "fila 1: termina en un separador sin valor detrás"},
        {"0.5;1 ; \n", "fila 1: termina en un separador sin valor detrás"},
        {full + "\t\n", "fila 1: termina en un separador sin valor detrás"},  // not "más de 100"
        {full + "\t0\n", tooWide},
        {"0.5 1\n0.5\n", "fila 2: tiene 1 valor y la fila 1 tiene 2"},
        {"0.5 1\n", "la matriz no es cuadrada: tiene 1 fila de 2 valores"},
        {hundredOne, "tiene más de " + std::to_string(L) + " filas"},
        {wide, tooWide},
        {"0.5 1\n\n1 0.5\n", "fila 2: línea vacía dentro de la matriz"},
        {"0.5 1\n1 0.5\0\n"s, "fila 2: contiene caracteres que no son texto"},
        {"1 0\n0 1\n\x0C", "fila 3: contiene caracteres que no son texto"},
        // Neither reading of ',' gives a matrix: the one that got further tells.
        {"0,5 0,3\n0,1 abc\n", "fila 2, columna 2: 'abc' no es un número"},
        {"x,5\n", "fila 1, columna 1: 'x,5' no es un número"},    // as far: no '.', blanks between fields
        {"x,0.5\n", "fila 1, columna 1: 'x' no es un número"},    // as far: ',' between fields
    };
    for (const auto& c : cases) {
        const int n = !c.refusal.empty() ? 0 : c.values.size() == 1 ? 1 : 2;
        RelationMatrix read = Sentinel(), expected = Sentinel();
        for (int k = 0; k < n * n; ++k) expected[k / n][k % n] = c.values[k];
        EXPECT_EQ(test_support::ErrorText([&] { EXPECT_EQ(formats::ParseRelation(c.bytes, read), n); }),
                  c.refusal.empty() ? "(sin error)" : c.refusal);
        EXPECT_TRUE(SameBits(read, expected)) << c.bytes;
    }
}

TEST(RelationFile, SaveAllTextByteForByte) {
    RelationMatrix a{{{1.0f, 0.7f}, {0.7f, 1.0f}}}, b{{{1.0f, 1.0f / 3}, {-0.0f, 0.25f}}};
    RelationMatrix order{{{0.0f, 10000.0f}, {2.9f, 1.0f}}}, odd{{{1e30f, -1e30f}, {NAN, -2.9f}}};
    formats::SaveAllContent content{"Zorvane", 2, 7, false, false, ',', &a, {&a, &b, &a, &b, &a, &b},
                                        {"Cierre Min\nd1= 0,5", "", "t\n", "á", "b", "c"}, {&order, &order, &odd}};
    const std::string matrixA = "1\t0,7\r\n0,7\t1\r\n", matrixB = "1\t0,33333334\r\n0\t0,25\r\n";
    const std::string orders = "0\t10000\r\n2\t1\r\n";
    EXPECT_EQ(formats::SaveAllText(content),
              "Zorvane\tDimensi\xF3n\t2\tMatriz n\xFA" "mero\t7\tReflexiva\ts\xED\tSim\xE9trica\ts\xED\tGeneraci\xF3n reflexiva\tno\t"
              "Generaci\xF3n sim\xE9trica\tno\r\n"
              "Matriz Inicial:\r\n" + matrixA + "\r\n"
              "Cierre Min\r\nd1= 0,5\r\n" + matrixA + "\r\n" + "\r\n" + matrixB + "\r\n" +
              "t\r\n\r\n" + matrixA + "\r\n" + "\xE1\r\n" + matrixB + "\r\n" +
              "b\r\n" + matrixA + "\r\n" + "c\r\n" + matrixB + "\r\n" +
              "Orden de la Matriz Min-Transitivizada\r\n" + orders + "\r\n" +
              "Orden de la Matriz Prod-Transitivizada\r\n" + orders + "\r\n" +
              "Orden de la Matriz W-Transitivizada\r\n9223372036854775807\t-9223372036854775808\r\n0\t-2\r\n\r\n");
    // The first line tells what the relation is, whatever the options: reflexive only, neither.
    RelationMatrix reflexiveOnly = a;
    reflexiveOnly[1][0] = 0.5f;
    content.generateReflexive = content.generateSymmetric = true;
    for (const auto& [relation, is] : {std::pair(&reflexiveOnly, "s\xED\tSim\xE9trica\tno"), {&b, "no\tSim\xE9trica\tno"}}) {
        content.relation = relation;
        const std::string text = formats::SaveAllText(content);
        EXPECT_EQ(text.substr(0, text.find('\r')), "Zorvane\tDimensi\xF3n\t2\tMatriz n\xFA" "mero\t7\tReflexiva\t"s + is +
                                                       "\tGeneraci\xF3n reflexiva\ts\xED\tGeneraci\xF3n sim\xE9trica\ts\xED");
    }
}

TEST(RelationFile, AFileOverTheLimitIsRefused) {
    const test_support::ScratchDir dir("relation_file");
    const fs::path huge = dir / "enorme.txt";
    std::ofstream(huge).close();
    fs::resize_file(huge, formats::kRelationFileLimit + 1);  // sparse: nothing is written
    RelationMatrix out;
    EXPECT_EQ(test_support::ErrorText([&] { formats::ReadRelationFile(huge, out); }),
              "No se ha podido leer el fichero «" + huge.string() + "»: es demasiado grande (más de 1024 MiB)");
}

}  // namespace
