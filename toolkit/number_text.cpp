#include "toolkit/number_text.h"

#include <array>
#include <atomic>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>

namespace toolkit {

namespace {
std::atomic<char> decimalSeparator{'.'};

struct Decimal {
    std::string digits;  // exactly `precision` significant digits, the first non-zero
    int exponent = 0;    // value = d.ddd × 10^exponent
};

// `magnitude` > 0, finite. Rounds to `precision` significant digits on the exact decimal
// expansion of the double, ties away from zero.
Decimal RoundSignificant(double magnitude, int precision) {
    // Print with 25 guard digits (correctly rounded by to_chars). Rounding at the guard
    // position is monotonic and every tie at `precision` digits is representable with the
    // guard digits, so the printed text lies on the same side of a tie as the exact value;
    // only a printed exact tie needs the full expansion (at most 767 significant digits).
    constexpr int kGuard = 25;
    std::array<char, 1200> buffer{};
    auto print = [&](int fractionDigits) {
        const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                          std::chars_format::scientific, fractionDigits);
        return std::string(buffer.data(), result.ptr);
    };
    std::string text = print(precision - 1 + kGuard);
    auto split = [](const std::string& s, std::string& mantissa, int& exponent) {
        const auto e = s.find('e');
        mantissa.clear();
        for (std::size_t i = 0; i < e; ++i)
            if (s[i] != '.') mantissa += s[i];
        exponent = std::atoi(s.c_str() + e + 1);
    };
    std::string mantissa;
    int exponent = 0;
    split(text, mantissa, exponent);
    const bool printedTie = mantissa[precision] == '5' &&
                            mantissa.find_first_not_of('0', precision + 1) == std::string::npos;
    if (printedTie) {
        split(print(800), mantissa, exponent);
    }
    const bool roundUp = mantissa[precision] >= '5';  // exact digits: '5…' is a tie or above
    Decimal result;
    result.digits = mantissa.substr(0, precision);
    result.exponent = exponent;
    if (roundUp) {
        int i = precision - 1;
        while (i >= 0 && result.digits[i] == '9') result.digits[i--] = '0';
        if (i >= 0) {
            ++result.digits[i];
        } else {
            result.digits.insert(result.digits.begin(), '1');
            result.digits.pop_back();
            ++result.exponent;
        }
    }
    return result;
}

// Significant digits (no trailing zeros) of d.ddd × 10^exponent laid out without an exponent.
std::string FixedText(const std::string& significant, int exponent, char separator) {
    std::string text;
    if (exponent < 0) {
        text += '0';
        text += separator;
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += significant;
        return text;
    }
    const auto before = static_cast<std::size_t>(exponent + 1);
    if (significant.size() <= before) {
        text += significant;
        text.append(before - significant.size(), '0');
    } else {
        text += significant.substr(0, before);
        text += separator;
        text += significant.substr(before);
    }
    return text;
}
}  // namespace

char DecimalSeparator() { return decimalSeparator.load(std::memory_order_relaxed); }
void SetDecimalSeparator(char separator) { decimalSeparator.store(separator, std::memory_order_relaxed); }

std::string FloatToStrF(double value, int precision, int digits) {
    return FloatToStrF(value, precision, digits, DecimalSeparator());
}

std::string FloatToStrF(double value, int precision, int digits, char separator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0.0) return "0";
    precision = precision < 1 ? 1 : (precision > 18 ? 18 : precision);
    digits = digits < 0 ? 0 : (digits > 4 ? 4 : digits);

    std::string text = std::signbit(value) ? "-" : "";
    const Decimal d = RoundSignificant(std::fabs(value), precision);
    std::string significant = d.digits;
    while (significant.size() > 1 && significant.back() == '0') significant.pop_back();

    // The rounded value is at least 0.00001 exactly when its exponent is at least −5.
    const bool fixed = d.exponent + 1 <= precision && d.exponent >= -5;
    if (fixed) return text + FixedText(significant, d.exponent, separator);
    text += significant[0];
    if (significant.size() > 1) {
        text += separator;
        text += significant.substr(1);
    }
    text += 'E';
    if (d.exponent < 0) text += '-';
    const std::string exponentDigits = std::to_string(std::abs(d.exponent));
    if (static_cast<int>(exponentDigits.size()) < digits)
        text.append(static_cast<std::size_t>(digits) - exponentDigits.size(), '0');
    text += exponentDigits;
    return text;
}

std::string ReadableNumber(double value) { return ReadableNumber(value, DecimalSeparator()); }

std::string ReadableNumber(double value, char separator) {
    constexpr int kDigits = 6;
    if (!std::isfinite(value) || value == 0.0) return FloatToStrF(value, kDigits, 2, separator);
    const Decimal d = RoundSignificant(std::fabs(value), kDigits);
    // Judged on the rounded value, so that 9.9999996e-7 reads "0.000001".
    if (d.exponent < -6) return FloatToStrF(value, kDigits, 2, separator);
    std::string significant = d.digits;
    while (significant.size() > 1 && significant.back() == '0') significant.pop_back();
    return (std::signbit(value) ? "-" : "") + FixedText(significant, d.exponent, separator);
}

std::string FloatToShortestStr(float value) { return FloatToShortestStr(value, DecimalSeparator()); }

std::string FloatToShortestStr(float value, char separator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0.0f) return "0";
    std::array<char, 64> buffer{};
    const auto withSeparator = [&](char* end) {
        std::string text(buffer.data(), end);
        for (char& c : text)
            if (c == '.') c = separator;
        return text;
    };
    // to_chars gives the shortest text that reads back to the float when parsed straight to
    // float. Read through double, a text lying within half a double step of the midpoint
    // between two floats can round the other way; more digits move it away from the midpoint,
    // and nine always suffice.
    std::string text = withSeparator(std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr);
    for (int precision = 1; static_cast<float>(StrToFloat(text, separator)) != value && precision <= 9; ++precision)
        text = withSeparator(std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                           std::chars_format::general, precision).ptr);
    return text;
}

double StrToFloat(std::string_view text) { return StrToFloat(text, DecimalSeparator()); }

double StrToFloat(std::string_view text, char separator) {
    std::string normalized;
    normalized.reserve(text.size());
    std::size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c == separator) normalized += '.';
        else if (c == '.') normalized += '\x01';  // a point is not the separator here: refuse it
        else normalized += c;
    }
    std::size_t start = 0;
    if (!normalized.empty() && normalized[0] == '+') start = 1;  // from_chars takes no '+'
    double value = 0.0;
    const char* first = normalized.data() + start;
    const char* last = normalized.data() + normalized.size();
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (normalized.size() == start || result.ec != std::errc() || result.ptr != last ||
        (start == 1 && normalized.size() > 1 && normalized[1] == '-'))
        throw ConversionError("'" + std::string(text) + "' no es un valor numérico válido");
    return value;
}

int StrToInt(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    const std::string_view body = text.substr(begin, end - begin);
    bool valid = !body.empty();
    std::size_t digitsStart = 0;
    if (valid && (body[0] == '+' || body[0] == '-')) digitsStart = 1;
    valid = valid && body.size() > digitsStart;
    long long value = 0;
    for (std::size_t i = digitsStart; valid && i < body.size(); ++i) {
        if (body[i] < '0' || body[i] > '9') {
            valid = false;
            break;
        }
        value = value * 10 + (body[i] - '0');
        if (value > 2147483648LL) value = 2147483649LL;  // stays out of range, never overflows
    }
    if (valid && body[0] == '-') value = -value;
    if (!valid || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        throw ConversionError("'" + std::string(text) + "' no es un valor entero válido");
    return static_cast<int>(value);
}

std::string IntToStr(long long value) { return std::to_string(value); }

int TruncToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0) return std::numeric_limits<int>::max();
    if (value <= -2147483649.0) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

std::string DoubleToStr(double value) {
    std::array<char, 32> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    return std::string(text.data(), result.ptr);
}

bool ParseDouble(std::string_view text, double& value) {
    double read = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return false;
    value = read;
    return true;
}

void KeepCNumericLocale() { std::setlocale(LC_NUMERIC, "C"); }

}  // namespace toolkit
