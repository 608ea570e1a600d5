// ParseMatrixMarket on any bytes: either an n × n matrix of degrees (1 ≤ n ≤ the largest
// dimension, finite, in [0, 1], never −0) that our own .mtx gives back bit for bit, or a
// FileError.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "formats/matrix_market.h"
#include "fuzz/degrees.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    formats::SquareMatrix m;
    try {
        m = formats::ParseMatrixMarket(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const toolkit::FileError&) {
        return 0;
    }
    fuzz_support::CheckDegrees(m);
    fuzz_support::CheckSame(m, formats::ParseMatrixMarket(formats::MatrixMarketText(formats::ViewOf(m))));
    return 0;
}
