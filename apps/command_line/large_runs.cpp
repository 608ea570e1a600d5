#include "apps/command_line/large_runs.h"

#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <stop_token>
#include <thread>

#include "engine/relation_matrix.h"
#include "experiments/trial_pipeline.h"

namespace cli {

namespace {

constexpr int kSmallestListed = 2;
constexpr std::size_t kMostListed = 1000;

int ListedNumber(std::string_view text, const std::string& whole) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        throw DimensionListError("'" + whole + "' no es una lista de dimensiones: «" + std::string(text) +
                                 "» no es un entero (se escribe 200,400,800 o 100:1000:100)");
    return value;
}

void CheckListed(int n, const std::string& whole) {
    if (n < kSmallestListed || n > engine::kLargestDimension)
        throw DimensionListError("'" + whole + "' no es una lista de dimensiones: " + std::to_string(n) +
                                 " no está entre " + std::to_string(kSmallestListed) + " y " +
                                 std::to_string(engine::kLargestDimension));
}

}  // namespace

std::vector<int> ParseDimensionList(const std::string& text) {
    std::vector<int> dimensions;
    std::string_view rest = text;
    for (;;) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        const std::size_t colon = item.find(':');
        if (colon == std::string_view::npos) {
            const int n = ListedNumber(item, text);
            CheckListed(n, text);
            dimensions.push_back(n);
        } else {
            const std::string_view tail = item.substr(colon + 1);
            const std::size_t second = tail.find(':');
            if (second == std::string_view::npos)
                throw DimensionListError("'" + text + "' no es una lista de dimensiones: «" + std::string(item) +
                                         "» ha de ser primera:última:paso");
            const int first = ListedNumber(item.substr(0, colon), text), last = ListedNumber(tail.substr(0, second), text),
                      step = ListedNumber(tail.substr(second + 1), text);
            CheckListed(first, text);
            CheckListed(last, text);
            if (step < 1 || last < first)
                throw DimensionListError("'" + text + "' no es una lista de dimensiones: en «" + std::string(item) +
                                         "» la última no puede ser menor que la primera y el paso ha de ser 1 o más");
            for (int n = first; n <= last && dimensions.size() <= kMostListed; n += step) dimensions.push_back(n);
        }
        if (dimensions.size() > kMostListed)
            throw DimensionListError("'" + text + "' no es una lista de dimensiones: tiene más de " +
                                     std::to_string(kMostListed));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return dimensions;
}

void RunFollowed(int n, const std::function<void(engine::AnalysisControl&)>& analysis,
                 const std::atomic<bool>& interrupted) {
    engine::AnalysisControl control;
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    const auto start = std::chrono::steady_clock::now();
    // The progress line is cleared however the analysis ends.
    struct ClearedLine {
        bool terminal;
        ~ClearedLine() {
            if (terminal) std::fputs("\r\x1b[K", stderr);
        }
    } cleared{terminal};
    experiments::FollowAnalysis(control, analysis, std::chrono::milliseconds(200), [&] {
        if (interrupted.load()) control.stop = true;
        if (!terminal) return;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr, "\rAnálisis de la relación de %d elementos: %d %% · %d s\x1b[K", n,
                     static_cast<int>(100 * control.Fraction(n)), static_cast<int>(seconds));
        std::fflush(stderr);
    });
}

bool RunChosenDimensions(experiments::Experiment& experiment, const std::vector<int>& dimensions, int sampleSize,
                         int threads, experiments::BatchOutputs& outputs, const std::atomic<bool>& interrupted,
                         experiments::TrialExtras* extras) {
    std::vector<experiments::TrialGroup> groups;
    int largest = 0;
    for (const int n : dimensions) {
        groups.push_back({n, sampleSize});
        largest = std::max(largest, n);
    }
    // Every thread analyses a relation of its own beside the experiment's.
    engine::CheckMemoryFor(largest, threads + 1);
    std::stop_source stop;
    int trialInGroup = 0;
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    experiments::TrialHooks hooks;
    hooks.groupStarting = [&](std::size_t) { trialInGroup = 0; };
    hooks.trialDone = [&] {
        ++trialInGroup;
        outputs.Trial(experiment.engine.dimension, trialInGroup, experiment.engine.results);
        if (interrupted.load()) stop.request_stop();
        if (terminal) {
            std::fprintf(stderr, "\rDimensión %d · matriz %d de %d\x1b[K", experiment.engine.dimension, trialInGroup,
                         sampleSize);
            std::fflush(stderr);
        }
    };
    const long long done = experiments::RunTrialGroups(experiment, groups, threads, stop.get_token(), hooks, extras);
    if (terminal) std::fputs("\r\x1b[K", stderr);
    return done == static_cast<long long>(groups.size()) * sampleSize;
}

}  // namespace cli
