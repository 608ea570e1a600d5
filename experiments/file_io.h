#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace experiments {

/// A file that could not be read or written; the message names the file and the reason in
/// Spanish and is shown to the user as it stands.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The reason for an errno value, in Spanish whatever the system language: lowercase, no
/// final period ("no existe", "permiso denegado", …; "error del sistema N" for the rest).
std::string SystemErrorText(int error);

/// The path as a message shows it: up to 80 characters as it stands; a longer one keeps its
/// beginning and its end around "…" (80 characters in all), cut between UTF-8 characters.
std::string ShortPath(std::string_view path);

inline constexpr std::size_t kMiB = std::size_t{1} << 20;

/// The bytes of a regular file of at most `limit` bytes. A folder, a FIFO, a device or a
/// larger file is refused without reading it (nor waiting on it).
std::string ReadTextFile(const std::filesystem::path& path, std::size_t limit);

/// Takes a file's contents to the disk (fsync when empty); returns 0 or -1 with errno set.
using SyncToDisk = std::function<int(int fd)>;

/// Replaces the file at `path` by `bytes` at once. A symbolic link there is followed to the
/// file it names, which need not exist yet; an existing file the user may not write, or one
/// that a LineFile is writing, is refused. The new contents go to a hidden temporary file
/// beside the target, reach the disk (`sync`), take the old file's permission bits (a new
/// file those the umask allows) and are renamed over it. On any failure the temporary file is
/// removed and the old file stays as it was; the signals that end a process wait until the
/// save has finished or rolled back.
void SaveFileAtomically(const std::filesystem::path& path, std::string_view bytes, const SyncToDisk& sync = {});

/// A text file written line by line, each line with its line end in a single write, that
/// never ends in half a line: a failed write (a full disk, the file-size limit) cuts the file
/// back to its last complete line, and every later write is refused with the same message.
/// The file stays locked while the object lives.
class LineFile {
public:
    /// Creates or empties `path` (following a link); refuses anything that is not a regular
    /// file, and a file another LineFile is writing, before changing anything. Every line ends
    /// in `lineEnd` (CR LF for the statistics table, LF for files read by R or pandas).
    explicit LineFile(const std::filesystem::path& path, std::string_view lineEnd = "\r\n");
    ~LineFile();
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;

    /// Writes `line` and the line end.
    void WriteLine(std::string_view line);

private:
    int fd_ = -1;
    std::string name_;          // ShortPath of the file, for messages
    long long complete_ = 0;    // bytes of complete lines written
    std::string failure_;       // the message of the first failed write
    std::string lineEnd_;
};

}  // namespace experiments
