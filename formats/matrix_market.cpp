#include "formats/matrix_market.h"

#include <array>
#include <charconv>
#include <cmath>
#include <vector>

#include "toolkit/file_io.h"
#include "toolkit/number_text.h"

namespace formats {

namespace {

using toolkit::FileError;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text shown in a message: at most 20 characters, anything but printable ASCII as '?'.
std::string Shown(std::string_view text) {
    std::string shown = "'";
    for (const char c : text.substr(0, 20)) shown += c >= ' ' && c < '\x7F' ? c : '?';
    return shown + (text.size() > 20 ? "…'" : "'");
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// The text line by line (LF or CR LF), counting from 1, with the words of each line.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}

    // The next line that is neither blank nor a comment, split into words; false at the end.
    bool NextData(std::vector<std::string_view>& words) {
        while (Next()) {
            Split(words);
            if (!words.empty() && !words.front().starts_with('%')) return true;
        }
        return false;
    }
    bool Next() {
        if (at_ > text_.size()) return false;
        const std::size_t end = std::min(text_.find('\n', at_), text_.size());
        line_ = text_.substr(at_, end - at_);
        if (line_.ends_with('\r')) line_.remove_suffix(1);
        at_ = end + 1;
        ++number_;
        return true;
    }
    void Split(std::vector<std::string_view>& words) const {
        words.clear();
        for (std::size_t i = 0; i < line_.size();) {
            while (i < line_.size() && IsBlank(line_[i])) ++i;
            const std::size_t start = i;
            while (i < line_.size() && !IsBlank(line_[i])) ++i;
            if (i > start) words.push_back(line_.substr(start, i - start));
        }
    }
    int number() const { return number_; }
    std::string Where() const { return "línea " + std::to_string(number_); }

private:
    std::string_view text_;
    std::string_view line_;
    std::size_t at_ = 0;
    int number_ = 0;
};

enum class Field { Real, Integer, Pattern };

struct Header {
    bool coordinate = false;
    Field field = Field::Real;
    bool symmetric = false;
};

Header ReadHeader(Lines& lines) {
    std::vector<std::string_view> words;
    if (lines.Next()) lines.Split(words);
    if (words.empty() || Lower(words.front()) != Lower(kMatrixMarketBanner))
        throw FileError("la primera línea no es la cabecera de Matrix Market (%%MatrixMarket matrix …)");
    if (words.size() != 5)
        throw FileError("línea 1: la cabecera de Matrix Market ha de tener cinco palabras "
                        "(%%MatrixMarket matrix formato tipo simetría)");
    const std::string object = Lower(words[1]), format = Lower(words[2]), field = Lower(words[3]),
                      symmetry = Lower(words[4]);
    if (object != "matrix") throw FileError("línea 1: el objeto " + Shown(words[1]) + " no es una matriz (matrix)");
    Header header;
    if (format != "array" && format != "coordinate")
        throw FileError("línea 1: el formato " + Shown(words[2]) + " no es array ni coordinate");
    header.coordinate = format == "coordinate";
    if (field == "real" || field == "double") header.field = Field::Real;
    else if (field == "integer") header.field = Field::Integer;
    else if (field == "pattern" && header.coordinate) header.field = Field::Pattern;
    else if (field == "pattern") throw FileError("línea 1: pattern solo va con coordinate");
    else throw FileError("línea 1: los valores de tipo " + Shown(words[3]) + " no se leen (solo real, integer y pattern)");
    if (symmetry != "general" && symmetry != "symmetric")
        throw FileError("línea 1: la simetría " + Shown(words[4]) + " no se lee (solo general y symmetric)");
    header.symmetric = symmetry == "symmetric";
    return header;
}

// A whole word as a non-negative integer, saturating far above any size that is accepted.
bool Count(std::string_view word, long long& value) {
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (end != word.data() + word.size() || word.empty() || word.front() == '-') return false;
    if (error == std::errc::result_out_of_range) value = 1LL << 62;
    else if (error != std::errc()) return false;
    return true;
}

// Decimal exponent of the first significant digit of a number whose double is out of range
// (so it has one): positive for an overflow, negative for an underflow.
long long LeadingExponent(std::string_view word) {
    const std::size_t e = word.find_first_of("eE");
    long long power = 0;
    if (e != std::string_view::npos) {
        std::string_view exponent = word.substr(e + 1);
        const bool negative = exponent.starts_with('-');
        if (exponent.starts_with('-') || exponent.starts_with('+')) exponent.remove_prefix(1);
        for (const char c : exponent) power = std::min(power * 10 + (c - '0'), 1'000'000'000'000LL);
        if (negative) power = -power;
    }
    const std::string_view mantissa = word.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    return first < point ? power + static_cast<long long>(point - first) - 1 : power - static_cast<long long>(first - point);
}

// One value of the file as a degree, or the reason it is not one.
std::string ReadValue(std::string_view word, Field field, float& degree) {
    std::string_view digits = word;
    if (digits.starts_with('+') && !digits.substr(1).starts_with('-')) digits.remove_prefix(1);
    const char* const last = digits.data() + digits.size();
    if (field == Field::Integer) {
        long long value = 0;
        const auto [end, error] = std::from_chars(digits.data(), last, value);
        if (end != last || digits.empty() || (error != std::errc() && error != std::errc::result_out_of_range))
            return Shown(word) + " no es un entero";
        if (error != std::errc() || value < 0 || value > 1) return std::string(word) + " no está entre 0 y 1";
        degree = static_cast<float>(value);
        return {};
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), last, value, std::chars_format::general);
    if (end != last || digits.empty() || (error != std::errc() && error != std::errc::result_out_of_range))
        return Shown(word) + " no es un número";
    if (error == std::errc::result_out_of_range)
        value = LeadingExponent(digits) >= 0 ? HUGE_VAL : 0.0;  // an underflow is zero, of either sign
    if (!std::isfinite(value)) return std::string(word.substr(0, 40)) + " no es un número finito";
    if (!(value >= 0.0 && value <= 1.0)) return std::string(word.substr(0, 40)) + " no está entre 0 y 1";
    degree = Degree(value);
    return {};
}

std::string Place(const Lines& lines, long long i, long long j) {
    return lines.Where() + " (fila " + std::to_string(i + 1) + ", columna " + std::to_string(j + 1) + "): ";
}

std::string Entries(long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Why the entry at (i, j) on line `line` is refused: an earlier line gave it (or, in a
// symmetric file, its mirror). Looked for only then, so that reading keeps no line numbers.
std::string Repeated(std::string_view bytes, int line, long long i, long long j, bool symmetric) {
    Lines lines(bytes);
    ReadHeader(lines);
    std::vector<std::string_view> words;
    lines.NextData(words);  // the size line
    bool mirror = false;
    while (lines.NextData(words) && lines.number() < line) {
        long long a = 0, b = 0;
        if (words.size() < 2 || !Count(words[0], a) || !Count(words[1], b)) continue;
        if (a - 1 == i && b - 1 == j) break;
        if (symmetric && a - 1 == j && b - 1 == i) {
            mirror = true;
            break;
        }
    }
    return "línea " + std::to_string(line) + ": la fila " + std::to_string(i + 1) + ", columna " + std::to_string(j + 1) +
           " ya tiene valor en la " + lines.Where() + (mirror ? " (la entrada simétrica)" : "");
}

}  // namespace

SquareMatrix ParseMatrixMarket(std::string_view bytes) {
    Lines lines(bytes);
    const Header header = ReadHeader(lines);
    std::vector<std::string_view> words;
    if (!lines.NextData(words)) throw FileError("falta la línea del tamaño de la matriz");
    long long rows = 0, columns = 0, entries = 0;
    const std::size_t sizeWords = header.coordinate ? 3 : 2;
    if (words.size() != sizeWords || !Count(words[0], rows) || !Count(words[1], columns) ||
        (header.coordinate && !Count(words[2], entries)))
        throw FileError(lines.Where() + ": el tamaño ha de ser " +
                        (header.coordinate ? "«filas columnas entradas»" : "«filas columnas»") +
                        ", en números enteros");
    if (rows != columns)
        throw FileError("la matriz no es cuadrada: tiene " + Entries(rows, "fila", "filas") + " de " +
                        Entries(columns, "valor", "valores"));
    if (const std::string problem = DimensionProblem(rows); !problem.empty()) throw FileError(problem);
    const int n = static_cast<int>(rows);
    const std::size_t cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    const long long most = header.symmetric ? static_cast<long long>(n) * (n + 1) / 2 : static_cast<long long>(cells);
    const std::string shape = std::to_string(n) + " × " + std::to_string(n) + (header.symmetric ? " simétrica" : "");
    if (!header.coordinate) entries = most;
    else if (entries > most)
        throw FileError(lines.Where() + ": anuncia " + std::to_string(entries) + " entradas y una matriz de " + shape +
                        " tiene " + std::to_string(most));

    const std::string announced = "la " + lines.Where() + " anuncia " + Entries(entries, "entrada", "entradas");

    SquareMatrix m{n, std::vector<float>(cells, 0.0f)};
    // Which entries a coordinate file has given, with their mirrors when it is symmetric.
    std::vector<unsigned char> given(header.coordinate ? cells : 0, 0);
    const std::size_t wordsPerEntry = !header.coordinate ? 1 : header.field == Field::Pattern ? 2 : 3;
    long long i = 0, j = 0;  // an array's next position: column by column, from the diagonal down when symmetric
    for (long long k = 0; k < entries; ++k) {
        if (!lines.NextData(words))
            throw FileError(header.coordinate ? "faltan entradas: hay " + std::to_string(k) + " y " + announced
                                              : "faltan valores: hay " + std::to_string(k) + " y la matriz de " + shape +
                                                    " tiene " + std::to_string(entries));
        if (words.size() != wordsPerEntry)
            throw FileError(lines.Where() + ": " +
                            (wordsPerEntry == 1 ? "ha de tener un valor"
                             : wordsPerEntry == 2 ? "ha de tener fila y columna"
                                                  : "ha de tener fila, columna y valor") +
                            " y tiene " + Entries(static_cast<long long>(words.size()), "palabra", "palabras"));
        if (header.coordinate) {
            for (const auto& [word, index, name] : {std::tuple(words[0], &i, "la fila"), {words[1], &j, "la columna"}}) {
                if (!Count(word, *index) || *index < 1 || *index > n)
                    throw FileError(lines.Where() + ": " + name + " " + Shown(word) + " no está entre 1 y " + std::to_string(n));
                --*index;
            }
            if (given[static_cast<std::size_t>(i * n + j)] != 0) throw FileError(Repeated(bytes, lines.number(), i, j, header.symmetric));
            given[static_cast<std::size_t>(i * n + j)] = 1;
            if (header.symmetric) given[static_cast<std::size_t>(j * n + i)] = 1;
        }
        float value = 1.0f;
        if (header.field != Field::Pattern)
            if (const std::string problem = ReadValue(words.back(), header.field, value); !problem.empty())
                throw FileError(Place(lines, i, j) + problem);
        m.values[static_cast<std::size_t>(i * n + j)] = value;
        if (header.symmetric) m.values[static_cast<std::size_t>(j * n + i)] = value;
        if (!header.coordinate && ++i == n) {
            ++j;
            i = header.symmetric ? j : 0;
        }
    }
    if (lines.NextData(words))
        throw FileError(lines.Where() + ": sobra: " +
                        (header.coordinate ? announced : "la matriz de " + shape + " tiene " + Entries(entries, "valor", "valores")));
    return m;
}

std::string MatrixMarketText(const MatrixView& m) {
    std::string text = "%%MatrixMarket matrix array real general\n" + std::to_string(m.n) + " " + std::to_string(m.n) + "\n";
    std::array<char, 64> buffer{};
    for (int j = 0; j < m.n; ++j)
        for (int i = 0; i < m.n; ++i) {
            const float value = m(i, j);
            // The float's own shortest text nearly always reads back through a double to the
            // same float; where rounding twice would change it, the toolkit's longer one.
            char* const end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
            double back = 0.0;
            std::from_chars(buffer.data(), end, back);
            if (std::isfinite(value) && static_cast<float>(back) != value) text += toolkit::FloatToShortestStr(value, '.');
            else text.append(buffer.data(), end);
            text += '\n';
        }
    return text;
}

}  // namespace formats
