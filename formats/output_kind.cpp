#include "formats/output_kind.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "formats/raw_trials.h"
#include "toolkit/file_io.h"

namespace formats {

namespace fs = std::filesystem;

namespace {

// Whether the first bytes of a file are those of a file of `kind`.
bool LooksLike(std::string_view start, OutputKind kind) {
    switch (kind) {
        case OutputKind::Workbook: return start.substr(0, 4) == std::string_view("PK\x03\x04", 4);
        case OutputKind::Raw: return start.substr(0, kRawHeader.size()) == kRawHeader;
        case OutputKind::SaveAll: return start.substr(0, 8) == "Zorvath\t" || start.substr(0, 8) == "Zorvane\t";
        case OutputKind::Table: {
            const std::size_t digits = start.find_first_not_of("0123456789");
            return digits > 0 && digits != std::string_view::npos && start.substr(digits, 12) == " Dimensiones";
        }
    }
    return false;
}

const char* KindName(OutputKind kind) {
    switch (kind) {
        case OutputKind::Table: return "una tabla de estadísticas";
        case OutputKind::Raw: return "un fichero de ensayos";
        case OutputKind::Workbook: return "un libro de cálculo";
        case OutputKind::SaveAll: return "un fichero de «Salvar Todo»";
    }
    return "";
}

}  // namespace

void CheckOutput(const fs::path& path, OutputKind kind) {
    toolkit::CheckWritable(path);
    // Opened without following a FIFO's wait; only a regular file gets this far.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;  // not there yet
    std::string start(std::max<std::size_t>(kRawHeader.size(), 64), '\0');
    const ssize_t got = ::read(fd, start.data(), start.size());
    ::close(fd);
    if (got <= 0) return;  // empty (or unreadable: the user may still write it)
    start.resize(static_cast<std::size_t>(got));
    if (!LooksLike(start, kind))
        throw toolkit::FileError("No se reemplaza el fichero «" + toolkit::ShortPath(path.string()) +
                                     "»: ya existe y no es " + KindName(kind) +
                                     "; elija otro nombre, o bórrelo antes si ya no lo quiere");
}

}  // namespace formats
