// Number texts and the random source. (Reading the program-wide separator: the degrees the
// generator forms in the engine tests; every text a file gives is checked before it is read.)
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "toolkit/number_text.h"
#include "toolkit/random.h"

namespace {

using namespace toolkit;

double Below(double x) { return std::nextafter(x, -std::numeric_limits<double>::infinity()); }
double Above(double x) { return std::nextafter(x, std::numeric_limits<double>::infinity()); }

// Independent reference: glibc prints every digit of a double on request (at most 767
// significant ones); round those by hand, ties away from zero, and lay them out.
std::string Reference(double value, int precision, int digits, char separator) {
    if (value == 0.0) return "0";
    char buffer[1000];
    std::snprintf(buffer, sizeof buffer, "%.780e", std::fabs(value));  // "d.ddd…e±xx"
    const std::string all = buffer;
    int exponent = std::atoi(buffer + all.find('e') + 1);
    const auto p = static_cast<std::size_t>(precision);
    const std::string kept = all.substr(0, 1) + all.substr(2, p - 1);  // the first p digits
    std::string s = std::to_string(std::stoull(kept) + (all[p + 1] >= '5'));
    if (s.size() > p) ++exponent;  // 9.99… rounded up to 10.0…; the extra zero goes next
    s.erase(s.find_last_not_of('0') + 1);
    const std::string sign = value < 0 ? "-" : "";
    if (exponent + 1 <= precision && exponent >= -5) {
        s.insert(0, static_cast<std::size_t>(std::max(0, -exponent)), '0');  // "0.000…" of a fraction
        const auto point = static_cast<std::size_t>(std::max(0, exponent) + 1);
        s.resize(std::max(s.size(), point), '0');
        return sign + s.substr(0, point) + (s.size() > point ? separator + s.substr(point) : "");
    }
    std::string power = std::to_string(std::abs(exponent));
    power.insert(0, static_cast<std::size_t>(std::max(0, digits - static_cast<int>(power.size()))), '0');
    const std::string mantissa = sign + s[0] + (s.size() > 1 ? separator + s.substr(1) : "");
    return mantissa + "E" + (exponent < 0 ? "-" : "") + power;
}

// Worked texts; the decimal comma: the random comparison below.
TEST(FloatToStrF, WorkedTexts) {
    const struct { double value; int precision, digits; const char* text; } cases[] = {
        {0.0, 3, 1, "0"}, {-0.0, 3, 1, "0"}, {0.729, 3, 1, "0.729"}, {0.12345, 3, 1, "0.123"},
        {0.99951, 3, 1, "1"}, {1000.0, 3, 1, "1E3"}, {1024.0, 3, 1, "1.02E3"}, {999.5, 3, 1, "1E3"},
        {1e-6, 3, 2, "1E-06"}, {1e-6, 3, 1, "1E-6"}, {-2.5e-7, 3, 2, "-2.5E-07"}, {123.456, 5, 3, "123.46"},
        // Exact binary ties go away from zero; their neighbours and near-ties do not.
        {0.03125, 3, 1, "0.0313"}, {0.125, 2, 1, "0.13"}, {-0.125, 2, 1, "-0.13"},
        {Below(0.125), 2, 1, "0.12"}, {Above(-2.5), 1, 1, "-2"}, {2.675, 3, 1, "2.67"},
        // Fixed from 0.00001 on, judged on the rounded value.
        {0.00001, 3, 1, "0.00001"}, {Below(0.00001), 3, 1, "0.00001"}, {0.0000099949, 3, 1, "9.99E-6"},
        {0.0000099999, 5, 3, "9.9999E-006"}, {99999.5, 5, 3, "1E005"}, {99999.49, 5, 3, "99999"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FloatToStrF(c.value, c.precision, c.digits, '.'), c.text);
        EXPECT_EQ(Reference(c.value, c.precision, c.digits, '.'), c.text);  // or it proves nothing
    }
}

TEST(FloatToStrF, AgreesWithTheReferenceOnRandomValuesAndExactTies) {
    std::mt19937_64 random(20261206);
    for (int n = 0; n < 9000; ++n) {
        int precision = 1 + static_cast<int>(random() % 17);
        double value = 0.0;
        if (n % 3 == 0) {  // any finite double
            value = std::bit_cast<double>(random());
            if (!std::isfinite(value)) continue;
        } else if (n % 3 == 1) {  // widened floats from 1e-8 to 1e7, where both notations meet
            value = static_cast<float>(std::pow(10.0, std::uniform_real_distribution<double>(-8, 7)(random)));
        } else {  // m / 2^j = m · 5^j / 10^j ends in 5: a tie one digit short of its length
            const int j = 1 + static_cast<int>(random() % 15);
            std::uint64_t scaled = (random() % (1u << 20)) | 1u;
            value = std::ldexp(static_cast<double>(scaled), -j);
            for (int i = 0; i < j; ++i) scaled *= 5;
            precision = std::max(1, static_cast<int>(std::to_string(scaled).size()) - 1);
        }
        const int digits = static_cast<int>(random() % 5);
        const char separator = n % 2 ? ',' : '.';
        for (const double v : {value, -value, Below(value), Above(value)})
            ASSERT_EQ(FloatToStrF(v, precision, digits, separator),
                      Reference(v, precision, digits, separator))
                << std::hexfloat << v << " precision " << precision;
    }
}

TEST(FloatToShortestStr, ShortestTextReadBackThroughDoubleToTheSameFloat) {
    // The last: the one float of [0, 1] whose shortest text, 7.038531e-26, reads back through
    // double to another float.
    const std::pair<float, const char*> worked[] = {
        {0.0f, "0"},       {-0.0f, "0"},       {1.0f, "1"},        {0.1f, "0.1"},
        {0.7f, "0.7"},     {1.0f / 3, "0.33333334"}, {1024.0f, "1024"}, {1e-05f, "1e-05"},
        {0x1p-149f, "1e-45"}, {std::bit_cast<float>(0x15ae43fdu), "7.0385307e-26"}};
    for (const auto& [value, text] : worked) EXPECT_EQ(FloatToShortestStr(value, '.'), text);
    std::mt19937 random(20261206);
    for (int n = 0; n < 200000; ++n) {
        // Any float of [0, 1] by its bits, and every kind of float now and then.
        const std::uint32_t bits = n % 8 ? random() % 0x3F800001u : random();
        const float value = std::bit_cast<float>(bits);
        if (!std::isfinite(value)) continue;
        const char separator = n % 2 ? ',' : '.';
        const std::string text = FloatToShortestStr(value, separator);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(static_cast<float>(StrToFloat(text, separator))),
                  std::bit_cast<std::uint32_t>(value == 0.0f ? 0.0f : value))
            << text;
        char shortest[64];  // never longer than the shortest text that reads back straight to float
        ASSERT_LE(text.size(), static_cast<std::size_t>(std::to_chars(shortest, shortest + 64, value).ptr - shortest));
    }
}

// What a person reads: float noise gone, no exponent from 1e-6 up, the separator asked for.
TEST(ReadableNumber, SixSignificantDigitsWithoutNoiseTrailingZerosOrExponent) {
    const struct { double value; char separator; const char* text; } cases[] = {
        {static_cast<float>(0.8f - 0.6f), ',', "0,2"}, {0.20000005f, '.', "0.2"}, {0.0004f, ',', "0,0004"},
        {2500, ',', "2500"}, {37.699997f, ',', "37,7"}, {29.900002f, '.', "29.9"}, {0.47562402f, ',', "0,475624"},
        {5.1794004f, ',', "5,1794"}, {1.0 / 3, '.', "0.333333"}, {-0.125, '.', "-0.125"}, {100, '.', "100"},
        {1234567, '.', "1234570"}, {999999.6, '.', "1000000"}, {1e7, '.', "10000000"}, {0.5, ',', "0,5"},
        // Fixed down to 1e-6, judged on the rounded value; scientific only below.
        {1e-6, ',', "0,000001"}, {9.9999996e-7, '.', "0.000001"}, {-2.5e-6, '.', "-0.0000025"},
        {4.2e-7, ',', "4,2E-07"}, {0.0, ',', "0"}, {-0.0, '.', "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadableNumber(c.value, c.separator), c.text) << c.value;
}

TEST(StrToInt, ReadsIntegersAndRefusesOtherTextsQuotingThem) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {" 42 ", 42}, {"+7", 7}, {"-2147483648", std::numeric_limits<int>::min()},
        {"2147483647", 2147483647}, {"", {}}, {"abc", {}}, {"1.5", {}}, {"12a", {}},
        {"2147483648", {}}, {"-2147483649", {}}, {"99999999999999999999", {}}, {"--1", {}}, {"+", {}},
    };
    for (const auto& [text, value] : cases) {
        try {
            EXPECT_EQ(StrToInt(text), value) << "'" << text << "'";
        } catch (const ConversionError& error) {
            EXPECT_FALSE(value) << error.what();
            EXPECT_NE(std::string(error.what()).find(std::string("'") + text + "'"), std::string::npos);
        }
    }
}

// Exactly the remainders of the accepted raw draws: uniform by construction. (That each
// generator has a sequence of its own: the batch on several threads against plain trials.)
TEST(RandomGenerator, FollowsTheDefaultMersenneTwisterRejectingTheLowestDraws) {
    RandomGenerator generator;
    std::mt19937 source;  // default start state
    for (int i = 0; i < 110000; ++i) {
        // 2^31 + 1 rejects almost half of the raw draws, 11 almost none.
        const std::uint32_t bound = i % 2 ? 11u : 0x80000001u;
        std::uint64_t draw = source();  // skip the lowest 2^32 mod bound draws, take the remainder
        while (draw < (std::uint64_t{1} << 32) % bound) draw = source();
        ASSERT_EQ(generator.Below(bound), draw % bound) << "draw " << i;
    }
}

}  // namespace
