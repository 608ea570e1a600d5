// The raw trial file's reader on any bytes, as a whole file and line by line: every line is a
// trial or std::invalid_argument, the file a run or FileError, nothing else. A line accepted
// is written again, and that text must read back to the same trial, bit for bit.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/file_io.h"
#include "formats/raw_trials.h"

namespace {

void CheckLine(std::string_view line) {
    formats::RawRun run, again;
    formats::TrialRecord record, back;
    try {
        formats::ParseRawLine(line, run, record);
    } catch (const std::invalid_argument&) {
        return;
    }
    formats::ParseRawLine(formats::RawLine(run, record), again, back);
    // Bit for bit: -0 and 0 would compare equal.
    const auto bits = [](const formats::TrialRecord& r) {
        std::vector<float> all(r.d1Closure.begin(), r.d1Closure.end());
        for (const auto* d : {&r.d1Transitivized, &r.d2Closure, &r.d2Transitivized}) all.insert(all.end(), d->begin(), d->end());
        all.insert(all.end(), r.extras.begin(), r.extras.end());
        std::vector<std::uint32_t> out(all.size());
        std::memcpy(out.data(), all.data(), all.size() * sizeof(float));
        return out;
    };
    if (!(again == run) || back.dimension != record.dimension || back.trial != record.trial || bits(back) != bits(record))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        CheckLine(text.substr(start, end - start));
        start = end + 1;
    }
    static const std::string path = "/tmp/fuzz_raw_trials." + std::to_string(::getpid()) + ".csv";
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
        try {
            formats::ReadRawFile(path, [](const formats::TrialRecord&) {});
        } catch (const toolkit::FileError&) {
        }
    }
    return 0;
}
