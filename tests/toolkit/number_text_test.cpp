#include "toolkit/number_text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using toolkit::ConversionError;
using toolkit::DecimalSeparator;
using toolkit::FloatToStrF;
using toolkit::IntToStr;
using toolkit::SetDecimalSeparator;
using toolkit::StrToFloat;
using toolkit::StrToInt;

// The separator is program-wide: every test that changes it puts the old one back.
class SeparatorGuard {
public:
    explicit SeparatorGuard(char separator) : saved_(DecimalSeparator()) { SetDecimalSeparator(separator); }
    ~SeparatorGuard() { SetDecimalSeparator(saved_); }
    SeparatorGuard(const SeparatorGuard&) = delete;
    SeparatorGuard& operator=(const SeparatorGuard&) = delete;

private:
    char saved_;
};

// The 32-bit float nearest to k / 10: the single-precision division is correctly rounded.
float Degree(int k) { return static_cast<float>(k) / 10.0f; }

double Below(double x) { return std::nextafter(x, -std::numeric_limits<double>::infinity()); }
double Above(double x) { return std::nextafter(x, std::numeric_limits<double>::infinity()); }

struct FormatCase {
    const char* name;
    double value;
    int precision;
    int digits;
    const char* point;  // expected text with '.' as separator
};

// With ',' as separator the text is the same with the point replaced.
std::string WithComma(std::string text) {
    for (char& c : text)
        if (c == '.') c = ',';
    return text;
}

const FormatCase kFormatCases[] = {
    // Grid cells: precision 3.
    {"zero", 0.0, 3, 1, "0"},
    {"negative zero", -0.0, 3, 1, "0"},
    {"one", 1.0, 3, 1, "1"},
    {"float nearest 0.1", static_cast<double>(0.1f), 3, 1, "0.1"},
    {"float nearest 0.3", static_cast<double>(0.3f), 3, 1, "0.3"},
    {"float nearest 0.7", static_cast<double>(0.7f), 3, 1, "0.7"},
    {"three digits kept", 0.729, 3, 1, "0.729"},
    {"rounded down to three", 0.12345, 3, 1, "0.123"},
    {"rounded up to one", 0.99951, 3, 1, "1"},
    {"1000 scientific", 1000.0, 3, 1, "1E3"},
    {"1024 scientific", 1024.0, 3, 1, "1.02E3"},
    {"-1024 scientific", -1024.0, 3, 1, "-1.02E3"},
    {"999 fixed", 999.0, 3, 1, "999"},
    {"100 fixed", 100.0, 3, 1, "100"},
    {"120 fixed", 120.0, 3, 1, "120"},
    {"small, two exponent digits", 0.000001, 3, 2, "1E-06"},
    {"small, one exponent digit", 0.000001, 3, 1, "1E-6"},
    {"small negative", -0.000001, 3, 2, "-1E-06"},
    // Result texts: precision 5, digits 3.
    {"result zero", 0.0, 5, 3, "0"},
    {"d1 12.25", 12.25, 5, 3, "12.25"},
    {"d1 123.456", 123.456, 5, 3, "123.46"},
    {"3.7 stored as float", static_cast<double>(3.7f), 5, 3, "3.7"},
    {"float nearest 0.1 at five", static_cast<double>(0.1f), 5, 3, "0.1"},
    {"0.2 as float difference", static_cast<double>(0.7f - 0.5f), 5, 3, "0.2"},
    {"euclidean sqrt 0.08", std::sqrt(0.08), 5, 3, "0.28284"},
    {"euclidean sqrt 0.005", std::sqrt(0.005), 5, 3, "0.070711"},
    {"0.05", 0.05, 5, 3, "0.05"},
    // Exact binary ties: away from zero.
    {"tie 0.03125", 0.03125, 3, 1, "0.0313"},
    {"tie -0.03125", -0.03125, 3, 1, "-0.0313"},
    {"tie 0.125", 0.125, 2, 1, "0.13"},
    {"tie -0.125", -0.125, 2, 1, "-0.13"},
    {"tie 0.375", 0.375, 2, 1, "0.38"},
    {"tie 2.5", 2.5, 1, 1, "3"},
    {"tie -2.5", -2.5, 1, 1, "-3"},
    {"tie 1.5", 1.5, 1, 1, "2"},
    {"tie 9.5 carries into scientific", 9.5, 1, 1, "1E1"},
    {"0.5 is no tie at one digit", 0.5, 1, 1, "0.5"},
    // One step either side of a tie.
    {"below 0.125", Below(0.125), 2, 1, "0.12"},
    {"above 0.125", Above(0.125), 2, 1, "0.13"},
    {"below 2.5", Below(2.5), 1, 1, "2"},
    {"above 2.5", Above(2.5), 1, 1, "3"},
    {"below -2.5 in magnitude", Above(-2.5), 1, 1, "-2"},
    {"below 0.03125", Below(0.03125), 3, 1, "0.0312"},
    // Decimal ties that the binary value misses: its exact expansion decides.
    {"0.15 lies below its tie", 0.15, 1, 1, "0.1"},
    {"0.35 lies below its tie", 0.35, 1, 1, "0.3"},
    {"0.45 lies above its tie", 0.45, 1, 1, "0.5"},
    {"2.675 lies below its tie", 2.675, 3, 1, "2.67"},
    {"1.005 lies below its tie", 1.005, 3, 1, "1"},
    {"1.015 lies below its tie", 1.015, 3, 1, "1.01"},
    // Digits before the separator.
    {"99999.5 becomes 1E5", 99999.5, 5, 1, "1E5"},
    {"99999.5 padded exponent", 99999.5, 5, 3, "1E005"},
    {"99999.49 stays fixed", 99999.49, 5, 3, "99999"},
    {"999.5 becomes 1E3", 999.5, 3, 1, "1E3"},
    {"below 999.5 stays fixed", Below(999.5), 3, 1, "999"},
    {"123456 at five", 123456.0, 5, 3, "1.2346E005"},
    {"100000 at five", 100000.0, 5, 3, "1E005"},
    // The 0.00001 boundary applies to the rounded value.
    {"0.00001 fixed", 0.00001, 3, 1, "0.00001"},
    {"below 0.00001 rounds onto it", Below(0.00001), 3, 1, "0.00001"},
    {"9.99E-6 scientific", 0.0000099949, 3, 1, "9.99E-6"},
    {"0.00000999951 rounds to 0.00001", 0.00000999951, 3, 1, "0.00001"},
    {"9.9999E-6 at five", 0.0000099999, 5, 3, "9.9999E-006"},
    {"0.000009999951 at five", 0.000009999951, 5, 3, "0.00001"},
    {"0.0000123456 at five", 0.0000123456, 5, 3, "0.000012346"},
    {"0.000012345 at three", 0.000012345, 3, 1, "0.0000123"},
    // Extreme exponents.
    {"1E300", 1e300, 5, 3, "1E300"},
    {"largest double", std::numeric_limits<double>::max(), 5, 3, "1.7977E308"},
    {"1E-300", 1e-300, 5, 3, "1E-300"},
    {"smallest normal", std::numeric_limits<double>::min(), 5, 3, "2.2251E-308"},
    {"smallest subnormal", std::numeric_limits<double>::denorm_min(), 3, 1, "4.94E-324"},
    {"negative large", -1.5e20, 3, 2, "-1.5E20"},
    {"negative tiny", -2.5e-7, 3, 2, "-2.5E-07"},
};

class FloatToStrFTable : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FloatToStrFTable, ExactTextWithEitherSeparator) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FloatToStrF(c.value, c.precision, c.digits, '.'), c.point);
    EXPECT_EQ(FloatToStrF(c.value, c.precision, c.digits, ','), WithComma(c.point));
}

std::string CaseName(const ::testing::TestParamInfo<FormatCase>& info) {
    std::string name = std::to_string(info.index) + "_";
    for (const char* p = info.param.name; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, FloatToStrFTable, ::testing::ValuesIn(kFormatCases), CaseName);

TEST(FloatToStrF, ElevenDegreesAtPrecisionThree) {
    const char* const point[] = {"0",   "0.1", "0.2", "0.3", "0.4", "0.5",
                                 "0.6", "0.7", "0.8", "0.9", "1"};
    for (int k = 0; k <= 10; ++k) {
        SCOPED_TRACE(k);
        // As the generator forms it (k × 0.1 in double) and as the grid holds it (float).
        EXPECT_EQ(FloatToStrF(k * 0.1, 3, 1, '.'), point[k]);
        EXPECT_EQ(FloatToStrF(static_cast<double>(Degree(k)), 3, 1, '.'), point[k]);
        EXPECT_EQ(FloatToStrF(k * 0.1, 3, 1, ','), WithComma(point[k]));
        EXPECT_EQ(FloatToStrF(static_cast<double>(Degree(k)), 3, 1, ','), WithComma(point[k]));
    }
}

TEST(FloatToStrF, SumsOfStoredDifferencesAsResultTexts) {
    // Two closure differences of 0.2 taken and summed in 32 bits; five digits hide the error.
    const float d = 0.7f - 0.5f;
    const float d1 = d + d;
    float sumSquares = d * d;
    sumSquares = sumSquares + d * d;
    EXPECT_EQ(FloatToStrF(d1, 5, 3, '.'), "0.4");
    EXPECT_EQ(FloatToStrF(std::sqrt(static_cast<double>(sumSquares)), 5, 3, '.'), "0.28284");
    EXPECT_EQ(FloatToStrF(d, 5, 3, '.'), "0.2");
}

TEST(FloatToStrF, DefaultSeparatorIsTheProgramWideOne) {
    {
        SeparatorGuard guard(',');
        EXPECT_EQ(DecimalSeparator(), ',');
        EXPECT_EQ(FloatToStrF(0.1f, 3, 1), "0,1");
        EXPECT_EQ(FloatToStrF(1024.0, 3, 1), "1,02E3");
        EXPECT_EQ(FloatToStrF(123.456, 5, 3), "123,46");
    }
    {
        SeparatorGuard guard('.');
        EXPECT_EQ(FloatToStrF(0.1f, 3, 1), "0.1");
        EXPECT_EQ(FloatToStrF(123.456, 5, 3), "123.46");
    }
}

TEST(DecimalSeparator, GuardRestoresTheSetting) {
    const char before = DecimalSeparator();
    {
        SeparatorGuard guard(before == ',' ? '.' : ',');
        EXPECT_NE(DecimalSeparator(), before);
    }
    EXPECT_EQ(DecimalSeparator(), before);
}

// ---------------------------------------------------------------------------------------
// Randomized cross-check against a plain implementation: the exact decimal expansion of the
// double (glibc prints every digit on request), rounded by hand, ties away from zero.

// Every significant digit of |value| (> 0) and its decimal exponent. A double has at most 767
// significant decimal digits, so 780 fraction digits are exact; glibc prints them all.
void ExactDigits(double value, std::string& mantissa, int& exponent) {
    std::vector<char> buffer(1000);
    std::snprintf(buffer.data(), buffer.size(), "%.780e", std::fabs(value));
    const char* e = std::strchr(buffer.data(), 'e');
    mantissa.assign(1, buffer[0]);
    mantissa.append(buffer.data() + 2, static_cast<std::size_t>(e - (buffer.data() + 2)));
    exponent = std::atoi(e + 1);
}

std::string ReferenceFormat(double value, int precision, int digits, char separator) {
    if (value == 0.0) return "0";
    std::string mantissa;
    int exponent = 0;
    ExactDigits(value, mantissa, exponent);

    std::string kept = mantissa.substr(0, static_cast<std::size_t>(precision));
    if (mantissa[static_cast<std::size_t>(precision)] >= '5') {
        // Add one unit in the last kept place.
        int i = precision - 1;
        for (; i >= 0; --i) {
            if (kept[static_cast<std::size_t>(i)] == '9') {
                kept[static_cast<std::size_t>(i)] = '0';
            } else {
                ++kept[static_cast<std::size_t>(i)];
                break;
            }
        }
        if (i < 0) {
            kept = "1" + std::string(static_cast<std::size_t>(precision - 1), '0');
            ++exponent;
        }
    }
    while (kept.size() > 1 && kept.back() == '0') kept.pop_back();

    std::string text = value < 0 ? "-" : "";
    const int before = exponent + 1;  // digits before the separator in fixed notation
    if (before <= precision && exponent >= -5) {
        // Lay the digits out on a line of places from 10^max(exponent, 0) down.
        std::string integral, fraction;
        if (before <= 0) {
            integral = "0";
            fraction = std::string(static_cast<std::size_t>(-before), '0') + kept;
        } else {
            std::string all = kept;
            if (static_cast<int>(all.size()) < before) all.append(static_cast<std::size_t>(before) - all.size(), '0');
            integral = all.substr(0, static_cast<std::size_t>(before));
            fraction = all.substr(static_cast<std::size_t>(before));
        }
        text += integral;
        if (!fraction.empty()) text += separator + fraction;
        return text;
    }
    text += kept.substr(0, 1);
    if (kept.size() > 1) text += separator + kept.substr(1);
    std::string power = std::to_string(exponent < 0 ? -exponent : exponent);
    while (static_cast<int>(power.size()) < digits) power.insert(power.begin(), '0');
    text += 'E';
    if (exponent < 0) text += '-';
    return text + power;
}

TEST(FloatToStrFReference, ReferenceAgreesWithWorkedTexts) {
    // The reference itself must reproduce the hand-checked texts, or it proves nothing.
    for (const FormatCase& c : kFormatCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReferenceFormat(c.value, c.precision, c.digits, '.'), c.point);
    }
}

TEST(FloatToStrFReference, RandomBitPatterns) {
    std::mt19937_64 random(20261206);
    std::uniform_int_distribution<int> precision(1, 17), digits(0, 4);
    int checked = 0;
    while (checked < 30000) {
        const std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) continue;
        const int p = precision(random), d = digits(random);
        const char separator = (checked % 2) ? ',' : '.';
        ASSERT_EQ(FloatToStrF(value, p, d, separator), ReferenceFormat(value, p, d, separator))
            << "value " << value << " precision " << p << " digits " << d;
        ++checked;
    }
}

TEST(FloatToStrFReference, RandomFloatsAroundTheFixedRange) {
    // Widened 32-bit values with magnitudes from 1e-8 to 1e7, where both notations meet.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> logMagnitude(-8.0, 7.0);
    std::uniform_int_distribution<int> precision(1, 9);
    for (int n = 0; n < 30000; ++n) {
        float f = static_cast<float>(std::pow(10.0, logMagnitude(random)));
        if (n % 3 == 0) f = -f;
        const double value = f;
        const int p = precision(random);
        ASSERT_EQ(FloatToStrF(value, p, 3, '.'), ReferenceFormat(value, p, 3, '.'))
            << "value " << value << " precision " << p;
    }
}

TEST(FloatToStrFReference, ExactTiesAndTheirNeighbours) {
    // m / 2^j has a finite decimal expansion ending in 5; rounding it one digit short of its
    // length lands exactly on a tie. Its neighbours either side must go the other ways.
    std::mt19937 random(11);
    std::uniform_int_distribution<std::uint32_t> numerator(1, (1u << 20) - 1);
    std::uniform_int_distribution<int> shift(1, 15);
    int ties = 0;
    for (int n = 0; n < 20000; ++n) {
        const double magnitude = std::ldexp(static_cast<double>(numerator(random) | 1u), -shift(random));
        const double value = (n % 2) ? -magnitude : magnitude;
        std::string mantissa;
        int exponent = 0;
        ExactDigits(value, mantissa, exponent);
        const auto last = mantissa.find_last_not_of('0');
        const int p = static_cast<int>(last);  // keep all but the final 5
        if (p < 1 || p > 18) continue;
        ASSERT_EQ(mantissa[last], '5');
        ++ties;
        for (const double v : {value, Below(value), Above(value)}) {
            ASSERT_EQ(FloatToStrF(v, p, 2, '.'), ReferenceFormat(v, p, 2, '.'))
                << "value " << v << " precision " << p;
        }
        // Away from zero on the tie itself, towards the tie's other side just inside it.
        const std::string up = FloatToStrF(value, p, 2, '.');
        const std::string inside = FloatToStrF(value < 0 ? Above(value) : Below(value), p, 2, '.');
        ASSERT_NE(up, inside) << "value " << value << " precision " << p;
    }
    EXPECT_GT(ties, 10000);
}

TEST(FloatToStrFReference, DecimalTiesMissedByTheBinaryValue) {
    // Texts d.ddd5 × 10^e parsed to the nearest double, which lies a hair off the tie.
    std::mt19937 random(3);
    std::uniform_int_distribution<int> precision(1, 15), exponent(-40, 40);
    for (int n = 0; n < 20000; ++n) {
        const int p = precision(random);
        std::string text;
        std::uniform_int_distribution<int> digit(0, 9), lead(1, 9);
        text += static_cast<char>('0' + lead(random));
        text += '.';
        for (int i = 1; i < p; ++i) text += static_cast<char>('0' + digit(random));
        text += "5e" + std::to_string(exponent(random));
        const double tie = std::strtod(text.c_str(), nullptr);
        for (const double v : {tie, Below(tie), Above(tie), -tie}) {
            ASSERT_EQ(FloatToStrF(v, p, 3, ','), ReferenceFormat(v, p, 3, ','))
                << "text " << text << " precision " << p;
        }
    }
}

// ---------------------------------------------------------------------------------------
// StrToFloat

TEST(StrToFloat, ElevenDegreesRoundTripToTheNearestFloat) {
    for (const char separator : {'.', ','}) {
        for (int k = 0; k <= 10; ++k) {
            SCOPED_TRACE(std::string("separator ") + separator + " k " + std::to_string(k));
            const std::string text = FloatToStrF(k * 0.1, 3, 1, separator);
            EXPECT_EQ(static_cast<float>(StrToFloat(text, separator)), Degree(k));
            const std::string cell = FloatToStrF(static_cast<double>(Degree(k)), 3, 1, separator);
            EXPECT_EQ(cell, text);
            SeparatorGuard guard(separator);
            EXPECT_EQ(static_cast<float>(StrToFloat(text)), Degree(k));
        }
    }
}

TEST(StrToFloat, ReadsEveryShapeThatFloatToStrFWrites) {
    struct Case {
        const char* text;
        char separator;
        double value;
    };
    const Case cases[] = {
        {"0", '.', 0.0},         {"1", ',', 1.0},           {"0.28284", '.', 0.28284},
        {"0,070711", ',', 0.070711}, {"123,46", ',', 123.46}, {"-0.0313", '.', -0.0313},
        {"1E3", '.', 1000.0},    {"1,02E3", ',', 1020.0},   {"1E-06", '.', 1e-6},
        {"1E-6", ',', 1e-6},     {"1E005", '.', 1e5},       {"-1.2346E005", '.', -123460.0},
        {"4.94E-324", '.', 4.94e-324}, {" 0,5 ", ',', 0.5}, {"+2.5", '.', 2.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToFloat(c.text, c.separator), c.value);
    }
}

TEST(StrToFloat, RandomFloatsRoundTripThroughNineDigits) {
    // Nine significant digits identify every 32-bit float.
    std::mt19937 random(5);
    int checked = 0;
    while (checked < 20000) {
        const std::uint32_t bits = static_cast<std::uint32_t>(random());
        float f;
        std::memcpy(&f, &bits, sizeof f);
        if (!std::isfinite(f)) continue;
        const char separator = (checked % 2) ? ',' : '.';
        const std::string text = FloatToStrF(f, 9, 2, separator);
        ASSERT_EQ(static_cast<float>(StrToFloat(text, separator)), f) << text;
        ++checked;
    }
}

TEST(StrToFloat, RefusesTextsThatAreNotNumbers) {
    struct Case {
        const char* text;
        char separator;
    };
    const Case cases[] = {
        {"", '.'},    {" ", ','},     {"abc", '.'},  {"1.5", ','},  {"1,5", '.'},
        {"1,2,3", ','}, {"--1", '.'}, {"+-1", '.'},  {"1E", '.'},   {"E5", '.'},
        {"1 5", '.'}, {".", '.'},     {"0x10", '.'}, {"12a", ','},  {"+", '.'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "' with " + c.separator);
        try {
            StrToFloat(c.text, c.separator);
            ADD_FAILURE() << "accepted";
        } catch (const ConversionError& error) {
            EXPECT_NE(std::string(error.what()).find(std::string("'") + c.text + "'"), std::string::npos)
                << error.what();
        }
    }
}

// ---------------------------------------------------------------------------------------
// StrToInt and IntToStr

TEST(StrToInt, AcceptsSignedDecimalIntegers) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"42", 42},           {" 42 ", 42},   {"\t7\t", 7},   {"+7", 7},           {"-0", 0},
        {"0", 0},             {"-15", -15},   {"007", 7},     {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<int>::min()},    {"  +100", 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToInt(c.text), c.value);
    }
}

TEST(StrToInt, RefusesEverythingElseQuotingTheText) {
    const char* const texts[] = {
        "",    " ",    "abc", "1.5",        "1,5",         "12a",
        "2147483648", "-2147483649", "99999999999999999999", "--1", "+",
        "-",   "4 2",  "+-3", "1E3",        "0x1F",        "-99999999999999999999",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(std::string("'") + text + "'");
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted";
        } catch (const ConversionError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find(std::string("'") + text + "'"), std::string::npos) << message;
            EXPECT_NE(message.find("no es un valor entero válido"), std::string::npos) << message;
        }
    }
}

TEST(IntToStr, PlainDecimalWithMinusSign) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(50), "50");
    EXPECT_EQ(IntToStr(-7), "-7");
    EXPECT_EQ(IntToStr(-100), "-100");
    EXPECT_EQ(IntToStr(std::numeric_limits<int>::max()), "2147483647");
    EXPECT_EQ(IntToStr(std::numeric_limits<int>::min()), "-2147483648");
}

TEST(IntToStr, RoundTripsThroughStrToInt) {
    for (const int v : {0, 1, -1, 99, -99, 1000000, -1000000, std::numeric_limits<int>::max(),
                        std::numeric_limits<int>::min()})
        EXPECT_EQ(StrToInt(IntToStr(v)), v);
}

}  // namespace
