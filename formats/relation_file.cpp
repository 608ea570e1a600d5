#include "formats/relation_file.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <vector>

#include "formats/matrix_market.h"
#include "formats/npy.h"
#include "formats/statistics_file.h"
#include "toolkit/number_text.h"

namespace formats {

namespace {

// "1 valor", "3 valores".
std::string Count(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

constexpr int kMaxDim = kLargestDimension;

void AppendUtf8(std::string& text, char32_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16 code units after the byte-order mark, as UTF-8; an unpaired surrogate or a final odd
// byte becomes U+FFFD, which no number contains.
std::string FromUtf16(std::string_view bytes, bool bigEndian) {
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (char32_t{first} << 8 | second) : (char32_t{second} << 8 | first);
    };
    std::string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(text, c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);
    }
    if (bytes.size() % 2 != 0) AppendUtf8(text, 0xFFFD);
    return text;
}

// The text as UTF-8 without a byte-order mark.
std::string Decode(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) return FromUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return FromUtf16(bytes.substr(2), true);
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return std::string(bytes);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// Control characters other than TAB (CR and LF end lines before this is asked).
bool IsControl(char c) { return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == '\x7F'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Length of the well-formed UTF-8 character of two to four bytes at text[i], or 0.
std::size_t MultibyteLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned lead = byte(i);
    const std::size_t length = lead < 0xC2 ? 0 : lead <= 0xDF ? 2 : lead <= 0xEF ? 3 : lead <= 0xF4 ? 4 : 0;
    // The second byte's range excludes overlong forms, surrogates and code points past U+10FFFF.
    const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (length == 0 || i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if ((byte(i + k) & 0xC0u) != 0x80u) return 0;
    // U+0080 … U+009F are control characters too.
    return lead == 0xC2 && byte(i + 1) < 0xA0 ? 0 : length;
}

// The offending text for a message: at most 20 characters and "…", anything that is not a
// printable character shown as '?'.
std::string Quote(std::string_view text) {
    std::string shown = "'";
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        if (count == 20) {
            shown += "…";
            break;
        }
        if (const std::size_t length = MultibyteLength(text, i); length != 0) {
            shown += text.substr(i, length);
            i += length;
        } else {
            shown += text[i] >= ' ' && text[i] < '\x7F' ? text[i] : '?';
            ++i;
        }
    }
    return shown + "'";
}

struct Failure {
    int row = 0, column = 0;  // where the reading stopped: how far it got
    std::string detail;
};

enum class Fields { Tab, Semicolon, Comma, Blanks };

// Decimal exponent of the first significant digit of a value whose double is out of range:
// a positive one overflowed, a negative one underflowed.
long long LeadingExponent(std::string_view integer, std::string_view fraction, std::string_view exponent) {
    long long power = 0;
    for (std::size_t k = exponent.starts_with('-') || exponent.starts_with('+') ? 1 : 0; k < exponent.size(); ++k)
        power = std::min(power * 10 + (exponent[k] - '0'), 1'000'000'000'000LL);  // stays far from overflow
    if (exponent.starts_with('-')) power = -power;
    const std::size_t first = integer.find_first_not_of('0');
    if (first != std::string_view::npos) return power + static_cast<long long>(integer.size() - first) - 1;
    return power - static_cast<long long>(fraction.find_first_not_of('0')) - 1;
}

// Reads one value into `value`; returns the reason when it is not a degree.
std::optional<std::string> ReadValue(std::string_view text, bool commaDecimals, float& value) {
    std::size_t i = text.starts_with('+') || text.starts_with('-') ? 1 : 0;
    if (text.size() - i <= 8) {
        std::string word(text.substr(i));
        for (char& c : word)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (word == "inf" || word == "infinity" || word == "nan") return Quote(text) + " no es un número finito";
    }

    const auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        return text.substr(start, i - start);
    };
    const std::string_view integer = digits();
    char mark = '.';
    std::string_view fraction, exponent;
    if (i < text.size() && (text[i] == '.' || (commaDecimals && text[i] == ','))) {
        mark = text[i++];
        fraction = digits();
    }
    bool number = !integer.empty() || !fraction.empty();
    if (number && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        const std::size_t start = ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        number = !digits().empty();
        exponent = text.substr(start, i - start);
    }
    if (!number || i != text.size()) return Quote(text) + " no es un número";

    double v = 0.0;
    try {
        v = toolkit::StrToFloat(text, mark);
    } catch (const toolkit::ConversionError&) {
        // What the checks above let through StrToFloat reads, unless the double is out of range.
        if (LeadingExponent(integer, fraction, exponent) >= 0) return Quote(text) + " no es un número finito";
        v = 0.0;  // an underflow is zero, of either sign
    }
    if (!std::isfinite(v)) return Quote(text) + " no es un número finito";
    if (!(v >= 0.0 && v <= 1.0)) return Quote(text) + " no está entre 0 y 1";
    value = v == 0.0 ? 0.0f : static_cast<float>(v);  // −0 is stored as 0
    return std::nullopt;
}

// The values of one line, at most kMaxDim + 1 of them: enough to know there are too many.
std::vector<std::string_view> SplitFields(std::string_view line, Fields fields) {
    std::vector<std::string_view> items;
    if (fields == Fields::Blanks) {
        for (std::size_t i = 0; i < line.size() && items.size() <= kMaxDim;) {
            while (i < line.size() && IsBlank(line[i])) ++i;
            const std::size_t start = i;
            // A quoted cell keeps the blanks inside its quotes ("0,5 ").
            if (i < line.size() && line[i] == '"')
                if (const std::size_t close = line.find('"', i + 1); close != std::string_view::npos) i = close + 1;
            while (i < line.size() && !IsBlank(line[i])) ++i;
            if (i > start) items.push_back(line.substr(start, i - start));
        }
        return items;
    }
    const char separator = fields == Fields::Tab ? '\t' : fields == Fields::Semicolon ? ';' : ',';
    for (std::size_t start = 0; items.size() <= kMaxDim;) {
        // A quoted cell may hold the separator: a spreadsheet in a decimal-comma locale writes
        // "0,5" between quotes in a comma-separated file.
        std::size_t from = start;
        while (from < line.size() && IsBlank(line[from])) ++from;
        if (from < line.size() && line[from] == '"')
            if (const std::size_t close = line.find('"', from + 1); close != std::string_view::npos) from = close + 1;
        const std::size_t end = line.find(separator, from);
        items.push_back(Trim(line.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return items;
}

// Whether the line's last field is empty because a separator ends it ("0.5\t1\t").
bool EndsInSeparator(std::string_view line, Fields fields) {
    if (fields == Fields::Blanks) return false;
    const char separator = fields == Fields::Tab ? '\t' : fields == Fields::Semicolon ? ';' : ',';
    while (!line.empty() && IsBlank(line.back()) && line.back() != separator) line.remove_suffix(1);
    return line.ends_with(separator);
}

struct Reading {
    int n = 0;
    std::vector<float> values;  // row after row
    std::optional<Failure> failure;
};

// One reading of `content` (the text up to the end of its last row) with one kind of field
// separator.
Reading Read(std::string_view content, Fields fields) {
    Reading reading;
    const auto fail = [&](int row, int column, std::string detail) {
        reading.failure = Failure{row, column, std::move(detail)};
        return reading;
    };
    int rows = 0;
    for (std::size_t at = 0;;) {
        const std::size_t end = std::min(content.find_first_of("\r\n", at), content.size());
        const std::string_view line = content.substr(at, end - at);
        const int r = ++rows;
        const std::string row = "fila " + std::to_string(r);
        if (r > kMaxDim) return fail(r, 0, "tiene más de " + std::to_string(kMaxDim) + " filas");
        if (Trim(line).empty()) return fail(r, 0, row + ": línea vacía dentro de la matriz");
        if (std::any_of(line.begin(), line.end(), IsControl))
            return fail(r, 0, row + ": contiene caracteres que no son texto");

        const std::vector<std::string_view> items = SplitFields(line, fields);
        const bool trailing = EndsInSeparator(line, fields);
        for (std::size_t k = 0; k < items.size(); ++k) {
            const int c = static_cast<int>(k) + 1;
            // Checked before the count: a full row of 100 values and a TAB has no 101st value.
            if (trailing && k + 1 == items.size())
                return fail(r, c, row + ": termina en un separador sin valor detrás");
            if (c > kMaxDim) return fail(r, c, row + ": tiene más de " + std::to_string(kMaxDim) + " valores");
            const std::string cell = row + ", columna " + std::to_string(c) + ": ";
            std::string_view item = items[k];
            // A spreadsheet writes a cell it holds as text, or one holding the separator,
            // between double quotes.
            const bool quoted = item.size() >= 2 && item.front() == '"' && item.back() == '"';
            if (quoted) item = Trim(item.substr(1, item.size() - 2));
            if (item.empty()) return fail(r, c, cell + "falta el valor");
            float value = 0.0f;
            if (auto reason = ReadValue(item, fields != Fields::Comma || quoted, value))
                return fail(r, c, cell + *reason);
            reading.values.push_back(value);
        }
        const int count = static_cast<int>(items.size());
        if (r == 1) reading.n = count;
        else if (count != reading.n)
            return fail(r, std::min(count, reading.n) + 1,
                        row + ": tiene " + Count(count, "valor", "valores") + " y la fila 1 tiene " +
                            std::to_string(reading.n));

        if (end == content.size()) break;
        at = end + (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n' ? 2 : 1);
    }
    if (rows != reading.n)
        return fail(rows + 1, 0, "la matriz no es cuadrada: tiene " + Count(rows, "fila", "filas") + " de " +
                                     Count(reading.n, "valor", "valores"));
    return reading;
}

Reading ReadText(std::string_view text) {
    // The rows end with the line of the last character that is not blank.
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    if (last == std::string_view::npos) {
        Reading empty;
        empty.failure = Failure{0, 0, "está vacío"};
        return empty;
    }
    const std::string_view content = text.substr(0, std::min(text.find_first_of("\r\n", last), text.size()));

    bool tab = false;  // in a line that is not blank: an empty line is refused whatever the fields
    for (std::size_t at = 0; at < content.size() && !tab;) {
        const std::size_t end = std::min(content.find_first_of("\r\n", at), content.size());
        const std::string_view line = content.substr(at, end - at);
        tab = line.find('\t') != std::string_view::npos && !Trim(line).empty();
        at = end + 1;
    }
    if (tab) return Read(content, Fields::Tab);
    if (content.find(';') != std::string_view::npos) return Read(content, Fields::Semicolon);
    if (content.find(',') == std::string_view::npos) return Read(content, Fields::Blanks);

    // "0.5,0.3" or "0,5 0,3": the first reading that gives a matrix; else the one that got
    // further, on a tie the one the decimal points suggest.
    Reading comma = Read(content, Fields::Comma);
    if (!comma.failure) return comma;
    Reading blanks = Read(content, Fields::Blanks);
    if (!blanks.failure) return blanks;
    const auto reach = [](const Reading& r) { return std::pair(r.failure->row, r.failure->column); };
    if (reach(comma) != reach(blanks)) return reach(comma) > reach(blanks) ? comma : blanks;
    return content.find('.') != std::string_view::npos ? comma : blanks;
}

std::string MatrixText(int n, const engine::RelationMatrix& m, std::string (*format)(float, char), char separator) {
    engine::CheckDimension(n);
    std::string text;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            if (j > 0) text += '\t';
            text += format(m[i][j], separator);
        }
        text += "\r\n";
    }
    return text;
}

std::string ShortestText(float value, char separator) { return toolkit::FloatToShortestStr(value, separator); }

// Truncated toward zero, saturating at the range of long long; NaN is 0.
std::string WholeNumber(float value, char) {
    constexpr float kLimit = 0x1p63f;
    if (std::isnan(value)) return "0";
    if (value >= kLimit) return std::to_string(std::numeric_limits<long long>::max());
    if (value < -kLimit) return std::to_string(std::numeric_limits<long long>::min());
    return std::to_string(static_cast<long long>(value));
}

}  // namespace

SquareMatrix ParseRelationText(std::string_view bytes) {
    const std::string text = Decode(bytes);
    Reading reading = ReadText(text);
    if (reading.failure) throw toolkit::FileError(reading.failure->detail);
    return {reading.n, std::move(reading.values)};
}

int ParseRelation(std::string_view bytes, engine::RelationMatrix& out) { return CopyInto(ParseRelationText(bytes), out); }

RelationFormat FormatForName(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension == ".npy" ? RelationFormat::Npy : extension == ".mtx" ? RelationFormat::MatrixMarket : RelationFormat::Text;
}

RelationFormat FormatOf(const std::filesystem::path& path, std::string_view bytes) {
    if (bytes.starts_with(kNpyMagic)) return RelationFormat::Npy;
    const std::string_view start = bytes.substr(0, kMatrixMarketBanner.size());
    if (start.size() == kMatrixMarketBanner.size() &&
        std::equal(start.begin(), start.end(), kMatrixMarketBanner.begin(), [](char a, char b) {
            return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b);
        }))
        return RelationFormat::MatrixMarket;
    return FormatForName(path);
}

SquareMatrix ParseRelationBytes(std::string_view bytes, RelationFormat format) {
    switch (format) {
        case RelationFormat::Npy: return ParseNpy(bytes);
        case RelationFormat::MatrixMarket: return ParseMatrixMarket(bytes);
        case RelationFormat::Text: break;
    }
    return ParseRelationText(bytes);
}

SquareMatrix ReadRelation(const std::filesystem::path& path) {
    const std::string bytes = toolkit::ReadTextFile(path, kRelationFileLimit);
    try {
        return ParseRelationBytes(bytes, FormatOf(path, bytes));
    } catch (const toolkit::FileError& error) {
        throw toolkit::FileError("El fichero «" + toolkit::ShortPath(path.string()) + "» no contiene una matriz válida: " + error.what());
    }
}

int ReadRelationFile(const std::filesystem::path& path, engine::RelationMatrix& out) { return CopyInto(ReadRelation(path), out); }

std::string RelationFileBytes(const std::filesystem::path& path, int n, const engine::RelationMatrix& m, char separator) {
    switch (FormatForName(path)) {
        case RelationFormat::Npy: return NpyBytes(ViewOf(n, m));
        case RelationFormat::MatrixMarket: return MatrixMarketText(ViewOf(n, m));
        case RelationFormat::Text: break;
    }
    return RelationText(n, m, separator);
}

std::string RelationText(int n, const engine::RelationMatrix& m, char separator) {
    return MatrixText(n, m, ShortestText, separator);
}

std::string IntegerMatrixText(int n, const engine::RelationMatrix& m) { return MatrixText(n, m, WholeNumber, '.'); }

std::string SaveAllText(const SaveAllContent& content) {
    std::vector<SavedBlock> blocks;
    for (std::size_t k = 0; k < content.results.size(); ++k) {
        if (content.results[k] == nullptr) throw std::invalid_argument("SaveAllText: falta una matriz");
        blocks.push_back({content.resultTexts[k], content.results[k], false});
    }
    const char* const orderTitles[] = {"Orden de la Matriz Min-Transitivizada", "Orden de la Matriz Prod-Transitivizada",
                                       "Orden de la Matriz W-Transitivizada"};
    for (std::size_t k = 0; k < content.orders.size(); ++k) {
        if (content.orders[k] == nullptr) throw std::invalid_argument("SaveAllText: falta una matriz");
        blocks.push_back({orderTitles[k], content.orders[k], true});
    }
    return SaveAllText(content, blocks);
}

std::string SaveAllText(const SaveAllContent& content, const std::vector<SavedBlock>& blocks) {
    const int n = content.dimension;
    engine::CheckDimension(n);
    if (content.relation == nullptr) throw std::invalid_argument("SaveAllText: falta una matriz");
    const engine::RelationMatrix& relation = *content.relation;
    // What the saved relation is, read from its entries (a loaded one need not match the
    // options), then the options the next drawn relation would follow.
    bool reflexive = true, symmetric = true;
    for (int i = 0; i < n; ++i) {
        reflexive = reflexive && relation[i][i] == 1.0f;
        for (int j = 0; j < i; ++j) symmetric = symmetric && relation[i][j] == relation[j][i];
    }
    const auto yesNo = [](bool yes) { return yes ? "sí" : "no"; };
    std::string text = content.program + "\tDimensión\t" + std::to_string(n) + "\tMatriz número\t" +
                       std::to_string(content.trialNumber) + "\tReflexiva\t" + yesNo(reflexive) +
                       "\tSimétrica\t" + yesNo(symmetric) + "\tGeneración reflexiva\t" +
                       yesNo(content.generateReflexive) + "\tGeneración simétrica\t" +
                       yesNo(content.generateSymmetric) + "\r\n";
    text += "Matriz Inicial:\r\n" + RelationText(n, relation, content.separator) + "\r\n";
    for (const SavedBlock& block : blocks) {
        const std::string_view lines = block.text;
        for (std::size_t at = 0;;) {
            const std::size_t end = std::min(lines.find('\n', at), lines.size());
            text.append(lines.substr(at, end - at)).append("\r\n");
            if (end == lines.size()) break;
            at = end + 1;
        }
        if (block.matrix)
            text += (block.wholeNumbers ? IntegerMatrixText(n, *block.matrix)
                                        : RelationText(n, *block.matrix, content.separator)) +
                    "\r\n";
        else
            text += "\r\n";
    }
    return ToWindows1252(text);
}

}  // namespace formats
