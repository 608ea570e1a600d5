#include "formats/npy.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "toolkit/file_io.h"

namespace formats {

namespace {

using toolkit::FileError;

// What the header says about the array.
struct Header {
    bool bigEndian = false;
    int itemSize = 0;  // 4 or 8
    bool fortranOrder = false;
    std::vector<unsigned long long> shape;
};

// At most 20 characters of header text, for a message; bytes that are not printable ASCII
// shown as '?'.
std::string Printable(std::string_view text) {
    std::string shown;
    for (const char c : text.substr(0, 20)) shown += c >= ' ' && c < '\x7F' ? c : '?';
    return text.size() > 20 ? shown + "…" : shown;
}
std::string Excerpt(std::string_view text) { return "«" + Printable(text) + "»"; }

// The header is a Python dictionary literal; numpy reads it with ast.literal_eval. This reads
// the part of that grammar numpy.save writes, in whatever spacing and key order.
class HeaderParser {
public:
    explicit HeaderParser(std::string_view text) : text_(text) {}

    Header Parse() {
        Header header;
        bool descr = false, order = false, shape = false;
        Expect('{');
        while (!Next('}')) {
            const std::string key = String();
            Expect(':');
            bool* seen = key == "descr" ? &descr : key == "fortran_order" ? &order : key == "shape" ? &shape : nullptr;
            if (seen == nullptr) throw FileError("la cabecera de NumPy tiene una clave desconocida: '" + key + "'");
            if (*seen) throw FileError("la cabecera de NumPy repite la clave '" + key + "'");
            *seen = true;
            if (seen == &descr) Descr(header);
            else if (seen == &order) header.fortranOrder = Boolean();
            else header.shape = Shape();
            if (!Next(',')) {
                Expect('}');
                break;
            }
        }
        Blanks();
        if (at_ != text_.size()) Fail();
        for (const auto& [given, name] : {std::pair(descr, "descr"), {order, "fortran_order"}, {shape, "shape"}})
            if (!given) throw FileError(std::string("a la cabecera de NumPy le falta la clave '") + name + "'");
        return header;
    }

private:
    [[noreturn]] void Fail() const {
        throw FileError("la cabecera de NumPy no se entiende a partir de " + Excerpt(text_.substr(at_)));
    }
    void Blanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    // Takes `c` after blanks if it comes next.
    bool Next(char c) {
        Blanks();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    void Expect(char c) {
        if (!Next(c)) Fail();
    }
    std::string String() {
        Blanks();
        if (at_ >= text_.size() || (text_[at_] != '\'' && text_[at_] != '"')) Fail();
        const char quote = text_[at_];
        const std::size_t end = text_.find(quote, at_ + 1);
        if (end == std::string_view::npos || text_.substr(at_ + 1, end - at_ - 1).find('\\') != std::string_view::npos)
            Fail();
        std::string value(text_.substr(at_ + 1, end - at_ - 1));
        at_ = end + 1;
        return value;
    }
    void Descr(Header& header) {
        Blanks();
        const std::size_t start = at_;
        if (at_ >= text_.size() || (text_[at_] != '\'' && text_[at_] != '"'))
            throw FileError("los valores no son de un tipo simple (" + Excerpt(text_.substr(start)) +
                            ") y han de ser float32 o float64 ('<f4' o '<f8')");
        const std::string type = String();
        if (type.size() != 3 || (type[0] != '<' && type[0] != '>') || type[1] != 'f' || (type[2] != '4' && type[2] != '8'))
            throw FileError("los valores son de tipo '" + Printable(type) +
                            "' y han de ser float32 o float64 ('<f4' o '<f8')");
        header.bigEndian = type[0] == '>';
        header.itemSize = type[2] - '0';
    }
    bool Boolean() {
        Blanks();
        for (const auto& [word, value] : {std::pair("True", true), {"False", false}})
            if (text_.substr(at_).starts_with(word)) {
                at_ += std::strlen(word);
                return value;
            }
        throw FileError("en la cabecera de NumPy, 'fortran_order' ha de ser True o False");
    }
    std::vector<unsigned long long> Shape() {
        std::vector<unsigned long long> shape;
        if (!Next('(')) throw FileError("en la cabecera de NumPy, 'shape' ha de ser una tupla de enteros");
        while (!Next(')')) {
            Blanks();
            const std::size_t start = at_;
            unsigned long long value = 0;
            for (; at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9'; ++at_)
                value = value > 1'000'000'000'000ULL ? value : value * 10 + static_cast<unsigned>(text_[at_] - '0');
            if (at_ == start) throw FileError("en la cabecera de NumPy, 'shape' ha de ser una tupla de enteros");
            shape.push_back(value);
            if (!Next(',')) {
                if (!Next(')')) throw FileError("en la cabecera de NumPy, 'shape' ha de ser una tupla de enteros");
                break;
            }
        }
        return shape;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

std::uint64_t LittleEndian(std::string_view bytes) {
    std::uint64_t value = 0;
    for (std::size_t k = bytes.size(); k-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[k]);
    return value;
}

// The k-th value of the data as a double.
double ValueAt(const char* data, std::size_t k, const Header& header) {
    unsigned char raw[8];
    std::memcpy(raw, data + k * static_cast<std::size_t>(header.itemSize), static_cast<std::size_t>(header.itemSize));
    if (header.bigEndian != (std::endian::native == std::endian::big))
        for (int a = 0, b = header.itemSize - 1; a < b; ++a, --b) std::swap(raw[a], raw[b]);
    if (header.itemSize == 4) {
        float value;
        std::memcpy(&value, raw, 4);
        return value;
    }
    double value;
    std::memcpy(&value, raw, 8);
    return value;
}

std::string Place(int i, int j) { return "fila " + std::to_string(i + 1) + ", columna " + std::to_string(j + 1) + ": "; }

}  // namespace

SquareMatrix ParseNpy(std::string_view bytes) {
    if (!bytes.starts_with(kNpyMagic)) throw FileError("no empieza por la marca de los ficheros de NumPy");
    if (bytes.size() < kNpyMagic.size() + 2) throw FileError("la cabecera de NumPy está cortada");
    const int major = static_cast<unsigned char>(bytes[6]), minor = static_cast<unsigned char>(bytes[7]);
    if (major < 1 || major > 3 || minor != 0)
        throw FileError("la versión " + std::to_string(major) + "." + std::to_string(minor) +
                        " del formato de NumPy no se lee (solo 1.0, 2.0 y 3.0)");
    const std::size_t lengthSize = major == 1 ? 2 : 4;
    const std::size_t start = 8 + lengthSize;
    if (bytes.size() < start) throw FileError("la cabecera de NumPy está cortada");
    const std::uint64_t headerLength = LittleEndian(bytes.substr(8, lengthSize));
    if (headerLength > bytes.size() - start) throw FileError("la cabecera de NumPy está cortada");
    const Header header = HeaderParser(bytes.substr(start, headerLength)).Parse();

    const std::vector<unsigned long long>& shape = header.shape;
    if (shape.size() != 2) {
        std::string dims = "(";
        for (std::size_t k = 0; k < shape.size(); ++k) dims += (k > 0 ? ", " : "") + std::to_string(shape[k]);
        throw FileError("la matriz tiene " + std::to_string(shape.size()) + (shape.size() == 1 ? " dimensión " : " dimensiones ") +
                        dims + (shape.size() == 1 ? ",)" : ")") + " y ha de tener 2");
    }
    if (shape[0] != shape[1])
        throw FileError("la matriz no es cuadrada: tiene " + std::to_string(shape[0]) + " filas de " +
                        std::to_string(shape[1]) + " valores");
    if (const std::string problem = DimensionProblem(static_cast<long long>(shape[0])); !problem.empty())
        throw FileError(problem);

    const int n = static_cast<int>(shape[0]);
    const std::size_t count = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    const std::size_t expected = count * static_cast<std::size_t>(header.itemSize);
    const std::string_view data = bytes.substr(start + headerLength);
    if (data.size() < expected)
        throw FileError("faltan datos: la cabecera anuncia " + std::to_string(n) + " × " + std::to_string(n) +
                        " valores de " + std::to_string(header.itemSize) + " bytes (" + std::to_string(expected) +
                        " bytes) y hay " + std::to_string(data.size()));
    if (data.size() > expected)
        throw FileError("sobran " + std::to_string(data.size() - expected) + " bytes tras los " + std::to_string(n) +
                        " × " + std::to_string(n) + " valores que anuncia la cabecera");

    // In the order of the file; the first bad value in row order is looked for only when
    // there is one.
    SquareMatrix m{n, std::vector<float>(count)};
    bool bad = false;
    for (std::size_t k = 0; k < count; ++k) {
        const double value = ValueAt(data.data(), k, header);
        bad = bad || !(value >= 0.0 && value <= 1.0);
        const std::size_t to = header.fortranOrder ? (k % static_cast<std::size_t>(n)) * static_cast<std::size_t>(n) + k / static_cast<std::size_t>(n) : k;
        m.values[to] = Degree(value);
    }
    if (bad)
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                const std::size_t k = header.fortranOrder ? static_cast<std::size_t>(j) * static_cast<std::size_t>(n) + static_cast<std::size_t>(i)
                                                          : static_cast<std::size_t>(i) * static_cast<std::size_t>(n) + static_cast<std::size_t>(j);
                const double value = ValueAt(data.data(), k, header);
                const std::string problem = header.itemSize == 4 ? ValueProblem(static_cast<float>(value)) : ValueProblem(value);
                if (!problem.empty()) throw FileError(Place(i, j) + problem);
            }
    return m;
}

std::string NpyBytes(const MatrixView& m) {
    const std::string n = std::to_string(m.n);
    std::string header = "{'descr': '<f4', 'fortran_order': False, 'shape': (" + n + ", " + n + "), }";
    // numpy leaves room for the first axis to grow to 21 digits, then pads to 64 bytes with
    // the final newline.
    header.append(21 - n.size(), ' ');
    const std::size_t total = kNpyMagic.size() + 4 + header.size() + 1;
    header.append((64 - total % 64) % 64, ' ');
    header += '\n';

    std::string bytes(kNpyMagic);
    bytes += '\x01';
    bytes += '\x00';
    bytes += static_cast<char>(header.size() & 0xFF);
    bytes += static_cast<char>(header.size() >> 8);
    bytes += header;
    const std::size_t at = bytes.size();
    bytes.resize(at + 4 * static_cast<std::size_t>(m.n) * static_cast<std::size_t>(m.n));
    char* out = bytes.data() + at;
    for (int i = 0; i < m.n; ++i)
        for (int j = 0; j < m.n; ++j, out += 4) {
            std::uint32_t bits = std::bit_cast<std::uint32_t>(m(i, j));
            for (int b = 0; b < 4; ++b, bits >>= 8) out[b] = static_cast<char>(bits & 0xFF);
        }
    return bytes;
}

}  // namespace formats
