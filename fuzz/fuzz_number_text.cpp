// StrToInt and StrToFloat (with either separator) on any text: a number or ConversionError,
// nothing else. What they accept is written back, and that text must read back the same.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "toolkit/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int whole = 0;
    try {
        whole = toolkit::StrToInt(text);
    } catch (const toolkit::ConversionError&) {
        whole = -1;
    }
    if (toolkit::StrToInt(toolkit::IntToStr(whole)) != whole) std::abort();
    for (const char separator : {'.', ','}) {
        double value = 0.0;
        try {
            value = toolkit::StrToFloat(text, separator);
        } catch (const toolkit::ConversionError&) {
            continue;
        }
        if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) continue;  // no float to write
        const auto single = static_cast<float>(value);
        if (static_cast<float>(toolkit::StrToFloat(toolkit::FloatToShortestStr(single, separator), separator)) != single)
            std::abort();
    }
    return 0;
}
