#include "formats/statistics_file.h"

#include <cstdint>
#include <locale>
#include <sstream>

#include "engine/relation_matrix.h"

namespace formats {

void ValidateLargestDimension(int largestDimension) {
    if (largestDimension > kLargestTableDimension)
        throw StatisticsError("La dimensión máxima no puede pasar de " + std::to_string(kLargestTableDimension) +
                              " (se ha pedido " + std::to_string(largestDimension) + ").");
}

void ValidateSampleSize(int sampleSize) {
    if (sampleSize < 1)
        throw StatisticsError("El número de matrices por dimensión debe ser al menos 1 (se ha pedido " +
                              std::to_string(sampleSize) + ").");
}

std::string ToWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
            ++i;
            continue;
        }
        // Length of the sequence from its lead byte; a stray continuation byte counts as one.
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (length == 2 && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            const unsigned code = ((lead & 0x1Fu) << 6) | (next & 0x3Fu);
            // U+00A0 … U+00FF are the same bytes in Latin-1 and Windows-1252.
            if ((next & 0xC0u) == 0x80u && code >= 0xA0) {
                out.push_back(static_cast<char>(code));
                i += 2;
                continue;
            }
        }
        out.push_back('?');
        i += length;
    }
    return out;
}

std::array<std::string, kStatisticsHeadingLines> StatisticsHeading(int largestDimension, int sampleSize) {
    return {
        std::to_string(largestDimension) + " Dimensiones ",
        ToWindows1252("Tamaño Muestral (matrices generadas en cada dimensión): ") + std::to_string(sampleSize),
        "",
        "Distancia 1\t\t\t\t\t\t\t\t\t\t\tDistancia Euclidea",
        ToWindows1252("Dimesión\td1 CT Min\td1 Min Tr\t% mayor CT\td1 CT Prod\td1 Prod Tr\t% mayor CT\t"
                      "d1 CT Lukas\td1 Lukas Tr\t% mayor CT\t Dimesión\td2 CT Min\td2 Min Tr\td2 CT Prod\t"
                      "d2 Prod Tr\td2 CT Lukas\td2 Lukas Tr"),
    };
}

std::string FormatIntegerMean(float sum, int sampleSize) {
    // 64 bits: a sample of many large matrices sums beyond the 32-bit range.
    const auto whole = static_cast<std::int64_t>(sum);
    return std::to_string(whole / sampleSize);
}

float FloatMean(float sum, int sampleSize) {
    return static_cast<float>(static_cast<long double>(sum) / static_cast<long double>(sampleSize));
}

std::string FormatFloat(float value) {
    std::ostringstream text;
    // The classic locale: a decimal point and no digit grouping, whatever the user's settings.
    text.imbue(std::locale::classic());
    text << value;
    return text.str();
}

std::string StatisticsRow(int dimension, const StatisticsSums& sums,
                          const std::array<int, engine::kTNormCount>& percent, int sampleSize,
                          bool integerMeans) {
    const auto mean = [&](float sum) {
        return integerMeans ? FormatIntegerMean(sum, sampleSize) : FormatFloat(FloatMean(sum, sampleSize));
    };
    std::string row = std::to_string(dimension);
    for (int t = 0; t < engine::kTNormCount; ++t) {
        row += '\t' + mean(sums.d1Closure[t]);
        row += '\t' + mean(sums.d1Transitivized[t]);
        row += '\t' + std::to_string(percent[t]) + '%';
    }
    row += '\t' + std::to_string(dimension);
    for (int t = 0; t < engine::kTNormCount; ++t) {
        row += '\t' + mean(sums.d2Closure[t]);
        row += '\t' + mean(sums.d2Transitivized[t]);
    }
    return row;
}

int ClosureGreaterPercent(int greater, int notGreater) {
    if (greater == 0) return 0;
    // 64-bit intermediate: 100 × a count near 2^31 must not overflow.
    const std::int64_t total = static_cast<std::int64_t>(greater) + notGreater;
    if (total == 0) return 0;
    return static_cast<int>(100 * static_cast<std::int64_t>(greater) / total);
}

}  // namespace formats
