#include "toolkit/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <initializer_list>
#include <system_error>
#include <vector>

namespace toolkit {

namespace fs = std::filesystem;

namespace {

// Closes the descriptor it holds when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// Removes the temporary file of a save while `created` is set: from its creation until it
// is renamed over the target.
struct TemporaryFile {
    std::string path;
    bool created = false;
    ~TemporaryFile() {
        if (created) ::unlink(path.c_str());
    }
};

// Holds back `signals` on this thread while it lives. A file-size signal raised meanwhile
// belongs to a write that has already failed with EFBIG and been reported: it is taken off
// rather than delivered. Any other takes effect once the work in hand is finished or undone.
class HeldSignals {
public:
    explicit HeldSignals(std::initializer_list<int> signals) {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : signals) sigaddset(&held, signal);
        pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~HeldSignals() {
        sigset_t sizeSignal;
        sigemptyset(&sizeSignal);
        sigaddset(&sizeSignal, SIGXFSZ);
        sigset_t pending;
        if (!sigismember(&previous_, SIGXFSZ) && sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ)) {
            const timespec now{};
            sigtimedwait(&sizeSignal, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

private:
    sigset_t previous_{};
};

constexpr const char* kBeingWritten = "otro proceso lo está escribiendo";

// Length of the UTF-8 character at text[i]: its lead byte and the continuation bytes that
// follow; a stray or cut-short byte counts as a character of its own.
std::size_t CharLength(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t wanted = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t length = 1;
    while (length < wanted && i + length < text.size() &&
           (static_cast<unsigned char>(text[i + length]) & 0xC0u) == 0x80u)
        ++length;
    return length;
}

std::string Quoted(const fs::path& path) { return "«" + ShortPath(path.string()) + "»"; }

// Writes every byte, resuming after partial writes and interruptions. Returns 0 or the errno
// of the failure.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (written == 0) return EIO;  // no progress and no reason: never loop on it
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// The process's umask, read without setting it: umask() alone changes it for a moment, and
// a file another thread creates in that moment would get the wrong permissions.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

}  // namespace

std::string SystemErrorText(int error) {
    switch (error) {
        case ENOENT: return "no existe";
        case EACCES:
        case EPERM: return "permiso denegado";
        case ENOSPC: return "no queda espacio en el disco";
        case EDQUOT: return "se ha superado la cuota de disco";
        case EFBIG: return "el fichero supera el tamaño máximo permitido";
        case EISDIR: return "es una carpeta";
        case ENOTDIR: return "una parte de la ruta no es una carpeta";
        case ENAMETOOLONG: return "el nombre es demasiado largo";
        case EROFS: return "el sistema de ficheros es de solo lectura";
        case EIO: return "error de entrada/salida";
        case EMFILE:
        case ENFILE: return "hay demasiados ficheros abiertos";
        case ENXIO: return "no es un fichero normal";  // a FIFO without a reader, a device without a unit
        case ELOOP: return "hay demasiados enlaces simbólicos en la ruta";
        case EBUSY:
        case ETXTBSY: return "el fichero está en uso";
        case EPIPE: return "nadie lee ya la salida";
        case EBADF: return "no está abierto";
        default: return "error del sistema " + std::to_string(error);
    }
}

std::string ShortPath(std::string_view path) {
    constexpr std::size_t kMost = 80, kHead = 39, kTail = 40;  // 39 + "…" + 40 = 80
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < path.size(); i += CharLength(path, i)) starts.push_back(i);
    if (starts.size() <= kMost) return std::string(path);
    return std::string(path.substr(0, starts[kHead])) + "…" + std::string(path.substr(starts[starts.size() - kTail]));
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
        const unsigned lead = byte(i);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                             : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        bool good = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; good && k < length; ++k) good = (byte(i + k) & 0xC0u) == 0x80u;
        if (good && length >= 3) {
            // No overlong forms, no surrogates, nothing past U+10FFFF.
            const unsigned second = byte(i + 1);
            good = !(lead == 0xE0 && second < 0xA0) && !(lead == 0xED && second > 0x9F) &&
                   !(lead == 0xF0 && second < 0x90) && !(lead == 0xF4 && second > 0x8F);
        }
        if (good) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out.append("\xEF\xBF\xBD");  // U+FFFD for this one byte
            ++i;
        }
    }
    return out;
}

std::string FirstCharacters(std::string_view text, std::size_t most) {
    std::size_t end = 0;
    for (std::size_t count = 0; end < text.size() && count < most; ++count) end += CharLength(text, end);
    return std::string(text.substr(0, end));
}

std::string ReadTextFile(const fs::path& path, std::size_t limit) {
    const auto fail = [&](const std::string& reason) {
        return FileError("No se ha podido leer el fichero " + Quoted(path) + ": " + reason);
    };
    // Non-blocking: opening a FIFO must not wait for a writer; it is refused below anyway.
    Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) throw fail(SystemErrorText(errno));
    struct stat status {};
    if (::fstat(file.fd, &status) != 0) throw fail(SystemErrorText(errno));
    if (S_ISDIR(status.st_mode)) throw fail("es una carpeta");
    if (!S_ISREG(status.st_mode)) throw fail("no es un fichero normal");
    const std::string tooLarge = "es demasiado grande (más de " + std::to_string(limit / kMiB) + " MiB)";
    if (static_cast<std::uintmax_t>(status.st_size) > limit) throw fail(tooLarge);

    // The file may grow while it is read: never take in more than one byte past the limit.
    const std::size_t most = limit < SIZE_MAX ? limit + 1 : limit;
    std::string bytes(std::min<std::size_t>(static_cast<std::size_t>(status.st_size), limit) + 1, '\0');
    std::size_t size = 0;
    while (size < most) {
        if (size == bytes.size()) bytes.resize(std::min(most, std::max<std::size_t>(2 * size, 4096)));
        const ssize_t got = ::read(file.fd, bytes.data() + size, bytes.size() - size);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw fail(SystemErrorText(errno));
        }
        if (got == 0) break;
        size += static_cast<std::size_t>(got);
    }
    if (size > limit) throw fail(tooLarge);
    bytes.resize(size);
    return bytes;
}

namespace {

// The file a name stands for: a chain of symbolic links followed to its end (up to 40), to a
// file that need not exist yet. Throws `fail`'s FileError.
template <class Fail>
fs::path FollowLinks(const fs::path& path, const Fail& fail) {
    fs::path target = path;
    struct stat status {};
    for (int links = 0; ::lstat(target.c_str(), &status) == 0 && S_ISLNK(status.st_mode); ++links) {
        std::error_code error;
        const fs::path next = fs::read_symlink(target, error);
        if (links == 40) throw fail(SystemErrorText(ELOOP));
        if (error) throw fail(SystemErrorText(error.value()));
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

// The hidden name of a save's temporary file beside `target`, before its six random letters:
// short enough for any name the target may have.
std::string TemporaryPrefix(const fs::path& target) {
    std::string name = target.filename().string();
    if (name.size() > 200) name.resize(200);
    return "." + name + ".";
}

// Removes the temporary files that saves of `target` killed on the way (SIGKILL, a power
// cut) left behind: a save holds a lock on its temporary file, so one that can be locked
// belongs to no running save.
void RemoveStaleTemporaries(const fs::path& target) {
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const std::string prefix = TemporaryPrefix(target);
    DIR* listing = ::opendir(folder.c_str());
    if (!listing) return;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) continue;
        const fs::path candidate = folder / std::string(name);
        Descriptor file{::open(candidate.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC)};
        struct stat status {};
        if (file.fd >= 0 && ::fstat(file.fd, &status) == 0 && S_ISREG(status.st_mode) &&
            ::flock(file.fd, LOCK_EX | LOCK_NB) == 0)
            stale.emplace_back(candidate);
    }
    ::closedir(listing);
    for (const std::string& name : stale) ::unlink(name.c_str());
}

// The save itself; `own` is the descriptor of a ReservedFile whose lock on the target is the
// saver's own, or -1.
void SaveInto(const fs::path& path, const FillFile& fill, const SyncToDisk& sync, int own) {
    const auto fail = [&](const std::string& reason) {
        return FileError("No se ha podido guardar el fichero " + Quoted(path) + ": " + reason);
    };
    if (path.empty()) throw fail(SystemErrorText(ENOENT));  // nowhere to put the temporary file
    // A link stays a link: the file it names gets the new contents, as an open() for writing
    // would give them to it, whether that file exists yet or not.
    const fs::path target = FollowLinks(path, fail);
    struct stat status {};
    bool exists = false;
    if (::stat(target.c_str(), &status) == 0) {
        exists = true;
        if (S_ISDIR(status.st_mode)) throw fail("es una carpeta");
        if (!S_ISREG(status.st_mode)) throw fail("no es un fichero normal");
        // The rename needs only the folder's permission; the file's own is the one to respect.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) throw fail(SystemErrorText(errno));
        struct stat ownStatus {};
        const bool mine = own >= 0 && ::fstat(own, &ownStatus) == 0 && ownStatus.st_dev == status.st_dev &&
                          ownStatus.st_ino == status.st_ino;
        Descriptor old{::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
        if (!mine && old.fd >= 0 && ::flock(old.fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK)
            throw fail(kBeingWritten);
    } else if (errno != ENOENT) {
        throw fail(SystemErrorText(errno));
    }
    RemoveStaleTemporaries(target);

    // From the temporary file's creation to the rename, a signal that would end the process
    // waits: the save finishes, or fails and removes its temporary file, first.
    const HeldSignals held{SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ};
    // Hidden, next to the target (rename does not cross file systems).
    TemporaryFile temporary{(target.parent_path() / (TemporaryPrefix(target) + "XXXXXX")).string()};
    Descriptor file{::mkostemp(temporary.path.data(), O_CLOEXEC)};
    if (file.fd < 0) throw fail(SystemErrorText(errno));
    temporary.created = true;
    ::flock(file.fd, LOCK_EX | LOCK_NB);  // tells a later save that this one is alive
    try {
        fill(temporary.path, file.fd);
    } catch (const FileError&) {
        throw;
    } catch (const std::exception& error) {
        throw fail(error.what());
    }
    if ((sync ? sync(file.fd) : ::fsync(file.fd)) != 0) throw fail(SystemErrorText(errno));
    const mode_t mode = exists ? (status.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(file.fd, mode) != 0) throw fail(SystemErrorText(errno));
    const int fd = file.fd;
    file.fd = -1;
    if (::close(fd) != 0) throw fail(SystemErrorText(errno));  // a network file system may report here
    if (::rename(temporary.path.c_str(), target.c_str()) != 0) throw fail(SystemErrorText(errno));
    temporary.created = false;
    // The rename itself reaches the disk with the folder; the file is already complete either way.
    Descriptor folder{::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.fd >= 0) ::fsync(folder.fd);
}

}  // namespace

void SaveFileAtomically(const fs::path& path, std::string_view bytes, const SyncToDisk& sync) {
    SaveFileAtomically(
        path,
        [&](const fs::path&, int fd) {
            if (const int error = WriteAll(fd, bytes); error != 0)
                throw FileError("No se ha podido guardar el fichero " + Quoted(path) + ": " + SystemErrorText(error));
        },
        sync);
}

void SaveFileAtomically(const fs::path& path, const FillFile& fill, const SyncToDisk& sync) {
    SaveInto(path, fill, sync, -1);
}

FileIdentity IdentityOf(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) return {status.st_dev, status.st_ino, {}};
    // Not there yet: where it would be made, links followed, the folder's own links resolved.
    fs::path target = path;
    try {
        target = FollowLinks(path, [](const std::string& reason) { return FileError(reason); });
    } catch (const FileError&) {
    }
    std::error_code error;
    const fs::path absolute = fs::absolute(target, error);
    const fs::path resolved = fs::weakly_canonical(error ? target : absolute, error);
    return {0, 0, (error ? absolute : resolved).lexically_normal().string()};
}

void CheckWritable(const fs::path& path) {
    const auto fail = [&](const std::string& reason) {
        return FileError("No se ha podido abrir el fichero " + Quoted(path) + ": " + reason);
    };
    const fs::path target = FollowLinks(path, fail);
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) throw fail("es una carpeta");
        if (!S_ISREG(status.st_mode)) throw fail("no es un fichero normal");
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) throw fail(SystemErrorText(errno));
        Descriptor file{::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
        if (file.fd >= 0 && ::flock(file.fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) throw fail(kBeingWritten);
        return;
    }
    if (errno != ENOENT) throw fail(SystemErrorText(errno));
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (::stat(folder.c_str(), &status) != 0) throw fail("la carpeta no existe");
    if (!S_ISDIR(status.st_mode)) throw fail(SystemErrorText(ENOTDIR));
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        throw fail("no se puede crear un fichero en su carpeta: " + SystemErrorText(errno));
}

ReservedFile::ReservedFile(const fs::path& path) {
    const auto fail = [&](const std::string& reason) {
        return FileError("No se ha podido escribir el fichero " + Quoted(path) + ": " + reason);
    };
    path_ = FollowLinks(path, fail);
    struct stat status {};
    if (::stat(path_.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) throw fail("es una carpeta");
        if (!S_ISREG(status.st_mode)) throw fail("no es un fichero normal");
        if (::faccessat(AT_FDCWD, path_.c_str(), W_OK, AT_EACCESS) != 0) throw fail(SystemErrorText(errno));
        fd_ = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } else if (errno == ENOENT) {
        fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NONBLOCK | O_CLOEXEC, 0666);
        created_ = fd_ >= 0;
    } else {
        throw fail(SystemErrorText(errno));
    }
    if (fd_ < 0) throw fail(SystemErrorText(errno));
    // The save puts its temporary file beside the file and renames it over it.
    const fs::path folder = path_.parent_path().empty() ? fs::path(".") : path_.parent_path();
    const int lockError = ::flock(fd_, LOCK_EX | LOCK_NB) != 0 ? errno : 0;
    const int folderError = ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0 ? errno : 0;
    if (lockError != 0 || folderError != 0) {
        if (created_) ::unlink(path_.c_str());
        ::close(fd_);
        if (lockError != 0) throw fail(lockError == EWOULDBLOCK ? kBeingWritten : SystemErrorText(lockError));
        throw fail("no se puede crear un fichero en su carpeta: " + SystemErrorText(folderError));
    }
}

ReservedFile::~ReservedFile() {
    // The empty file made to hold the name goes, unless a save has replaced it since.
    struct stat held {}, there {};
    if (created_ && !saved_ && ::fstat(fd_, &held) == 0 && ::stat(path_.c_str(), &there) == 0 &&
        held.st_dev == there.st_dev && held.st_ino == there.st_ino && there.st_size == 0)
        ::unlink(path_.c_str());
    ::close(fd_);
}

void ReservedFile::Save(const FillFile& fill, const SyncToDisk& sync) {
    SaveInto(path_, fill, sync, fd_);
    saved_ = true;
}

LineFile::LineFile(const fs::path& path, std::string_view lineEnd, std::optional<std::string_view> lastLine)
    : name_(ShortPath(path.string())), lineEnd_(lineEnd) {
    if (lastLine) ending_.append(*lastLine).append(lineEnd);
    const auto fail = [&](const std::string& reason) {
        return FileError("No se ha podido abrir el fichero «" + name_ + "»: " + reason);
    };
    const auto refuseOdd = [&](mode_t mode) {
        if (S_ISDIR(mode)) throw fail("es una carpeta");
        if (!S_ISREG(mode)) throw fail("no es un fichero normal");
    };
    // Checked before opening as well: a FIFO with a reader would open.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) refuseOdd(status.st_mode);
    else if (errno != ENOENT) throw fail(SystemErrorText(errno));

    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd_ < 0) throw fail(SystemErrorText(errno));
    try {
        if (::fstat(fd_, &status) != 0) throw fail(SystemErrorText(errno));
        refuseOdd(status.st_mode);
        // Locked before it is emptied: a second writer leaves the first one's rows alone.
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) throw fail(errno == EWOULDBLOCK ? kBeingWritten : SystemErrorText(errno));
        const int flags = ::fcntl(fd_, F_GETFL);
        if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0 || ::ftruncate(fd_, 0) != 0)
            throw fail(SystemErrorText(errno));
        if (const int error = WriteAll(fd_, ending_); error != 0) throw fail(SystemErrorText(error));
    } catch (...) {
        ::close(fd_);
        throw;
    }
}

LineFile::~LineFile() { ::close(fd_); }

void LineFile::WriteLine(std::string_view line) {
    if (!failure_.empty()) throw FileError(failure_);
    // The line goes where the last line stands, which follows it again.
    std::string bytes;
    bytes.reserve(line.size() + lineEnd_.size() + ending_.size());
    bytes.append(line).append(lineEnd_).append(ending_);
    const int error = [&] {
        const HeldSignals held{SIGXFSZ};  // past the file-size limit, the write fails with EFBIG
        if (::lseek(fd_, static_cast<off_t>(complete_), SEEK_SET) < 0) return errno;
        return WriteAll(fd_, bytes);
    }();
    if (error == 0) {
        complete_ += static_cast<long long>(bytes.size() - ending_.size());
        return;
    }
    failure_ = "No se ha podido escribir en el fichero «" + name_ + "»: " + SystemErrorText(error);
    // Part of the line may be in the file: cut it off, and put the last line back over the
    // bytes it had, which need no new room on the disk. Should that fail too, the write's
    // reason is still the one to tell.
    const HeldSignals held{SIGXFSZ};
    if (!ending_.empty() && ::lseek(fd_, static_cast<off_t>(complete_), SEEK_SET) >= 0) {
        [[maybe_unused]] const int restored = WriteAll(fd_, ending_);
    }
    [[maybe_unused]] const int cut = ::ftruncate(fd_, static_cast<off_t>(complete_ + static_cast<long long>(ending_.size())));
    throw FileError(failure_);
}

}  // namespace toolkit
