#include "experiments/trial_pipeline.h"

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "toolkit/random.h"

namespace experiments {

namespace {

// One trial on its way: drawn by the coordinator, analysed by a worker, taken over in order.
struct Slot {
    int dimension = 0;
    engine::RelationMatrix relation{};
    engine::ClosureMemory memory;  // the analyses of this slot's trials, one after another
    engine::Analysis analysis;
    std::unique_ptr<TrialExtras> extras;   // this slot's trials' extra measures, when asked
    toolkit::RandomGenerator randomAfter;  // the sequence just after this relation was drawn
    long long analysedTrial = -1;          // guarded by the pipeline's mutex
    std::exception_ptr error;              // likewise
};

// Worker threads that analyse drawn trials in the order they were published. Trial k uses slot
// k mod the slot count; the coordinator draws trial k only once trial k − slots was taken over,
// so a slot is never drawn into while a worker reads it. Every hand-over goes through the mutex.
class Workers {
public:
    Workers(bool symmetrizing, int threads, long long firstTrial, const TrialExtras* extras)
        : symmetrizing_(symmetrizing), published_(firstTrial), next_(firstTrial) {
        const std::size_t slots = 2 * static_cast<std::size_t>(threads) + 2;
        for (std::size_t s = 0; s < slots; ++s) {
            slots_.push_back(std::make_unique<Slot>());
            if (extras) slots_.back()->extras = extras->Copy();
        }
        for (int t = 0; t < threads; ++t) threads_.emplace_back([this] { Work(); });
    }

    ~Workers() {
        {
            const std::lock_guard lock(mutex_);
            shutdown_ = true;
        }
        workReady_.notify_all();
        // The jthreads join here, each after the analysis it may be in.
    }

    long long SlotCount() const { return static_cast<long long>(slots_.size()); }
    Slot& At(long long trial) { return *slots_[static_cast<std::size_t>(trial % SlotCount())]; }

    // Trials below `drawn` may be analysed.
    void Publish(long long drawn) {
        {
            const std::lock_guard lock(mutex_);
            published_ = drawn;
        }
        workReady_.notify_one();
    }

    Slot& WaitAnalysed(long long trial) {
        Slot& slot = At(trial);
        std::unique_lock lock(mutex_);
        analysed_.wait(lock, [&] { return slot.analysedTrial == trial; });
        if (slot.error) std::rethrow_exception(slot.error);
        return slot;
    }

private:
    void Work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            workReady_.wait(lock, [&] { return shutdown_ || next_ < published_; });
            if (shutdown_) return;
            const long long trial = next_++;
            Slot& slot = At(trial);
            lock.unlock();
            std::exception_ptr error;
            try {
                engine::AnalyzeRelation(slot.dimension, slot.relation, symmetrizing_, slot.memory, slot.analysis);
                if (slot.extras) slot.extras->Compute(slot.dimension, slot.relation);
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            slot.error = error;
            slot.analysedTrial = trial;
            analysed_.notify_all();
        }
    }

    const bool symmetrizing_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::mutex mutex_;
    std::condition_variable workReady_, analysed_;
    long long published_;
    long long next_;
    bool shutdown_ = false;
    std::vector<std::jthread> threads_;  // last: joined before the rest is destroyed
};

// Walks the trials of the groups in order, skipping groups without trials.
class TrialCursor {
public:
    explicit TrialCursor(std::span<const TrialGroup> groups) : groups_(groups) {}
    int Dimension() {
        SkipEmpty();
        return groups_[group_].dimension;
    }
    void Advance() {
        SkipEmpty();
        ++index_;
    }

private:
    void SkipEmpty() {
        while (group_ < groups_.size() && index_ >= groups_[group_].count) {
            ++group_;
            index_ = 0;
        }
    }
    std::span<const TrialGroup> groups_;
    std::size_t group_ = 0;
    int index_ = 0;
};

// Puts the random sequence back to where the last trial taken over left it, however the run ends.
class RandomRestorer {
public:
    explicit RandomRestorer(engine::Engine& engine) : engine_(engine), afterTaken_(engine.random()) {}
    ~RandomRestorer() { engine_.SetRandom(afterTaken_); }
    void Taken(const toolkit::RandomGenerator& after) { afterTaken_ = after; }

private:
    engine::Engine& engine_;
    toolkit::RandomGenerator afterTaken_;
};

}  // namespace

long long RunTrialGroups(Experiment& experiment, std::span<const TrialGroup> groups, int threads,
                         std::stop_token stop, const TrialHooks& hooks, TrialExtras* extras) {
    if (threads < 1 || threads > kMaxThreads)
        throw std::invalid_argument("número de hilos fuera del rango válido 1 … " + std::to_string(kMaxThreads));
    long long total = 0;
    for (const TrialGroup& group : groups) {
        engine::CheckDimension(group.dimension);
        if (group.count < 0) throw std::invalid_argument("número de pruebas negativo");
        total += group.count;
    }
    engine::Engine& engine = experiment.engine;
    // A pending swap is the first trial's, and draws nothing: it runs here, in order.
    const bool swapFirst = engine.swapPending && total > 0;
    const long long firstDrawn = swapFirst ? 1 : 0;
    std::unique_ptr<Workers> workers;
    if (total > firstDrawn)
        workers = std::make_unique<Workers>(engine.variant().symmetrizing, threads, firstDrawn, extras);
    RandomRestorer restorer(engine);
    TrialCursor toDraw(groups);
    if (swapFirst) toDraw.Advance();
    long long drawn = firstDrawn, done = 0;

    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (stop.stop_requested()) break;
        engine.dimension = groups[g].dimension;
        if (hooks.groupStarting) hooks.groupStarting(g);
        for (int i = 0; i < groups[g].count; ++i) {
            if (stop.stop_requested()) return done;
            if (done == 0 && swapFirst) {
                experiment.RunTrial();
                if (extras) extras->Compute(engine.dimension, engine.relation);
                restorer.Taken(engine.random());
            } else {
                for (; drawn < total && drawn < done + workers->SlotCount(); ++drawn) {
                    Slot& slot = workers->At(drawn);
                    slot.dimension = toDraw.Dimension();
                    engine.DrawRelation(slot.dimension, slot.relation);
                    slot.randomAfter = engine.random();
                    toDraw.Advance();
                    workers->Publish(drawn + 1);
                }
                const Slot& slot = workers->WaitAnalysed(done);
                experiment.AdoptTrial(slot.dimension, slot.relation, slot.memory, slot.analysis);
                if (extras) extras->TakeValues(*slot.extras);
                restorer.Taken(slot.randomAfter);
            }
            ++done;
            if (hooks.trialDone) hooks.trialDone();
        }
        if (hooks.groupFinished) hooks.groupFinished(g);
    }
    return done;
}

}  // namespace experiments
