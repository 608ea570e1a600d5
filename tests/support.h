#pragma once

// What several tests share: equality bit for bit, a file's bytes, a scratch folder and the
// message of a refusal.

#include <unistd.h>

#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace test_support {

template <class T>
bool SameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

/// Matrices (anything with a square storage of capacity() rows): the same size and the same
/// bits over the whole storage, outside the block in use too.
template <class M>
    requires requires(const M& m) { m.capacity(); m[0].data(); }
bool SameBits(const M& a, const M& b) {
    const auto entries = static_cast<std::size_t>(a.capacity()) * static_cast<std::size_t>(a.capacity());
    return a.capacity() == b.capacity() && std::memcmp(a[0].data(), b[0].data(), entries * sizeof(a[0][0])) == 0;
}

/// Memories of previous iterates, matrix by matrix.
template <class C>
    requires requires(const C& c) { c.minClosurePrev; c.transitiveDimension; }
bool SameBits(const C& a, const C& b) {
    return SameBits(a.minClosurePrev, b.minClosurePrev) && SameBits(a.prodClosurePrev, b.prodClosurePrev) &&
           SameBits(a.wClosurePrev, b.wClosurePrev) && a.transitiveDimension == b.transitiveDimension;
}

inline std::string Contents(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

/// An empty folder of this process's own under the temporary folder, removed with its contents.
struct ScratchDir {
    explicit ScratchDir(const std::string& name)
        : path(std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() { std::filesystem::remove_all(path); }
    std::filesystem::path operator/(const std::string& name) const { return path / name; }
    const std::filesystem::path path;
};

/// The message of what `action` throws, or "(sin error)".
template <class Action>
std::string ErrorText(const Action& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(sin error)";
}

}  // namespace test_support
