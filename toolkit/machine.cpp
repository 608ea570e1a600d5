#include "toolkit/machine.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace toolkit {

std::optional<std::uint64_t> AvailableMemory() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key, unit;
    std::uint64_t value = 0;
    while (meminfo >> key >> value) {
        std::getline(meminfo, unit);
        if (key == "MemAvailable:") return value * 1024;
    }
    return std::nullopt;
}

namespace {

// A fixed team of threads that help the one caller that holds `busy`. Each job is a range of
// indices taken one at a time from a shared counter, so uneven bodies balance themselves.
class Team {
public:
    Team() {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        for (unsigned t = 1; t < cores; ++t) helpers_.emplace_back([this] { Help(); });
    }
    ~Team() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (auto& thread : helpers_) thread.join();
    }

    int width() const { return static_cast<int>(helpers_.size()) + 1; }

    bool TryRun(int count, const std::function<void(int)>& body) {
        std::unique_lock<std::mutex> own(busy_, std::try_to_lock);
        if (!own.owns_lock() || helpers_.empty()) return false;
        {
            std::lock_guard lock(mutex_);
            body_ = &body;
            count_ = count;
            next_.store(0);
            error_ = nullptr;
            active_ = static_cast<int>(helpers_.size());
            ++generation_;
        }
        wake_.notify_all();
        Work();
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return active_ == 0; });
        body_ = nullptr;
        if (error_) std::rethrow_exception(error_);
        return true;
    }

private:
    void Work() {
        for (int i = next_.fetch_add(1); i < count_; i = next_.fetch_add(1)) {
            try {
                (*body_)(i);
            } catch (...) {
                std::lock_guard lock(mutex_);
                if (!error_) error_ = std::current_exception();
            }
        }
    }

    void Help() {
        std::uint64_t seen = 0;
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
                if (stopping_) return;
                seen = generation_;
            }
            Work();
            {
                std::lock_guard lock(mutex_);
                --active_;
            }
            done_.notify_one();
        }
    }

    std::vector<std::thread> helpers_;
    std::mutex busy_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    const std::function<void(int)>* body_ = nullptr;
    int count_ = 0;
    std::atomic<int> next_{0};
    std::exception_ptr error_;
    int active_ = 0;
    std::uint64_t generation_ = 0;
    bool stopping_ = false;
};

Team& TheTeam() {
    static Team team;
    return team;
}

}  // namespace

void ParallelFor(int count, const std::function<void(int)>& body) {
    if (count <= 0) return;
    if (count > 1 && TheTeam().TryRun(count, body)) return;
    for (int i = 0; i < count; ++i) body(i);
}

int ParallelWidth() { return TheTeam().width(); }

}  // namespace toolkit
