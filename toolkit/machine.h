#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace toolkit {

/// Bytes of memory the machine can give a new allocation now without swapping (MemAvailable of
/// /proc/meminfo), or nothing where that is not known.
std::optional<std::uint64_t> AvailableMemory();

/// Runs body(0) … body(count − 1), spread over the machine's cores, and returns when all have
/// returned; the first exception thrown by a body is rethrown here once every body has ended.
/// The cores are shared by every caller: a call made while another is running (from another
/// thread or from inside a body) runs its bodies in the calling thread, so nesting and
/// concurrent callers never ask for more threads than there are cores.
void ParallelFor(int count, const std::function<void(int)>& body);

/// Threads ParallelFor uses, the caller's included.
int ParallelWidth();

}  // namespace toolkit
