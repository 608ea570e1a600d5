// ParseNpy on any bytes: either an n × n matrix of degrees (1 ≤ n ≤ the largest dimension,
// finite, in [0, 1], never −0) that our own .npy gives back bit for bit, or a FileError.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "formats/npy.h"
#include "fuzz/degrees.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    formats::SquareMatrix m;
    try {
        m = formats::ParseNpy(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const toolkit::FileError&) {
        return 0;
    }
    fuzz_support::CheckDegrees(m);
    fuzz_support::CheckSame(m, formats::ParseNpy(formats::NpyBytes(formats::ViewOf(m))));
    return 0;
}
