#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace toolkit {

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

/// The text as valid UTF-8: each byte that does not belong to a well-formed UTF-8 character
/// becomes U+FFFD, so a file name in any encoding can be shown in a file that must be UTF-8.
std::string ValidUtf8(std::string_view text);

/// The text cut to at most `most` UTF-8 characters, never inside one.
std::string FirstCharacters(std::string_view text, std::size_t most);

inline constexpr std::size_t kMiB = std::size_t{1} << 20;

/// The bytes of a regular file of at most `limit` bytes. A folder, a FIFO, a device or a
/// larger file is refused without reading it (nor waiting on it).
std::string ReadTextFile(const std::filesystem::path& path, std::size_t limit);

/// Takes a file's contents to the disk (fsync when empty); returns 0 or -1 with errno set.
using SyncToDisk = std::function<int(int fd)>;

/// Fills the temporary file of a save: its path (for a library that opens files by name) and
/// an open descriptor on it. Throws FileError to give the save up.
using FillFile = std::function<void(const std::filesystem::path& temporary, int fd)>;

/// Replaces the file at `path` by `bytes` at once. A symbolic link there is followed to the
/// file it names, which need not exist yet; an existing file the user may not write, or one
/// that a LineFile is writing, is refused. The new contents go to a hidden temporary file
/// beside the target, reach the disk (`sync`), take the old file's permission bits (a new
/// file those the umask allows) and are renamed over it. On any failure the temporary file is
/// removed and the old file stays as it was; the signals that end a process wait until the
/// save has finished or rolled back.
/// A temporary file of an earlier save that was killed before it could remove it (it is no
/// longer locked) is removed by the next save of the same file.
void SaveFileAtomically(const std::filesystem::path& path, std::string_view bytes, const SyncToDisk& sync = {});
/// The same with contents written by `fill` into the temporary file.
void SaveFileAtomically(const std::filesystem::path& path, const FillFile& fill, const SyncToDisk& sync = {});

/// What a name stands for once links are followed: the device and inode of an existing file,
/// else the absolute path the file would be created at. Two names of one file, hard or
/// symbolic links included, give equal identities.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    std::string path;  // only for a file that does not exist yet
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity IdentityOf(const std::filesystem::path& path);

/// Refuses, with FileError and without creating or changing anything, a file that an output
/// could not write: links followed, an existing file must be a regular file the user may
/// write that no LineFile is writing; a missing one needs a folder the user may write in.
void CheckWritable(const std::filesystem::path& path);

/// An output written at the end of a run in one save, claimed when the run starts: the file
/// must be writable (an existing regular file the user may write, in a folder where a file
/// can be created), it is created empty when missing and locked as a LineFile locks its file,
/// so a second run on it, or a LineFile, is refused before it starts. Destroyed without a
/// save, it removes the empty file it created.
class ReservedFile {
public:
    explicit ReservedFile(const std::filesystem::path& path);
    ~ReservedFile();
    ReservedFile(const ReservedFile&) = delete;
    ReservedFile& operator=(const ReservedFile&) = delete;

    /// Replaces the file at once, as SaveFileAtomically does; its own lock does not stand in
    /// the way.
    void Save(const FillFile& fill, const SyncToDisk& sync = {});

private:
    std::filesystem::path path_;  // the file itself, links followed
    int fd_ = -1;
    bool created_ = false;
    bool saved_ = false;
};

/// A text file written line by line, each line with its line end in a single write, that
/// never ends in half a line: a failed write (a full disk, the file-size limit) cuts the file
/// back to its last complete line, and every later write is refused with the same message.
/// The file stays locked while the object lives.
class LineFile {
public:
    /// Creates or empties `path` (following a link); refuses anything that is not a regular
    /// file, and a file another LineFile is writing, before changing anything. Every line ends
    /// in `lineEnd` (CR LF for the statistics table, LF for files read by R or pandas).
    /// A `lastLine` stays at the end of the file from the start, each line written going in
    /// before it: however the writing ends, a full disk included, the file ends with it.
    explicit LineFile(const std::filesystem::path& path, std::string_view lineEnd = "\r\n",
                      std::optional<std::string_view> lastLine = std::nullopt);
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
    std::string ending_;        // the last line and its line end, kept after the complete lines
};

}  // namespace toolkit
