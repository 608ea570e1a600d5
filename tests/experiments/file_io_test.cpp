// Refusals, atomic saves and line files on a real file system; a full disk is a file size
// limit (RLIMIT_FSIZE with SIGXFSZ ignored), under which write() fails with EFBIG.

#include "experiments/file_io.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "tests/support.h"

namespace {

namespace fs = std::filesystem;
using test_support::Contents;
using test_support::ErrorText;

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// While it lives, no file may grow past `bytes`.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) : previous(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
    void (*previous)(int);
    rlimit saved{};
};

class FileIo : public ::testing::Test {
protected:
    const test_support::ScratchDir dir{"file_io"};
};

TEST(FileText, UnknownReasonAndShortPaths) {
    EXPECT_EQ(experiments::SystemErrorText(12345), "error del sistema 12345");
    const auto repeat = [](const std::string& s, int times) {
        std::string out;
        while (times-- > 0) out += s;
        return out;
    };
    EXPECT_EQ(experiments::ShortPath("/" + repeat("ñ", 79)), "/" + repeat("ñ", 79));
    // 5,000 characters, most of them two or three bytes long: 39 of them, "…", the last 40.
    const std::string path = "/home/usuario/" + repeat("é", 2500) + repeat("€", 2475) + "/matriz.txt";
    EXPECT_EQ(experiments::ShortPath(path), "/home/usuario/" + repeat("é", 25) + "…" + repeat("€", 29) + "/matriz.txt");
}

TEST_F(FileIo, EveryOperationRefusesWhatIsNotARegularFileWithoutWaiting) {
    const fs::path fifo = dir / "tubería", plain = dir / "fichero.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(plain) << "x";
    const struct {
        fs::path path;
        std::string reason;
    } cases[] = {
        {dir.path, "es una carpeta"},
        {fifo, "no es un fichero normal"},  // opened for reading or writing it would wait for the other end
        {"/dev/zero", "no es un fichero normal"},
        {dir / "no_existe" / "datos.txt", "no existe"},
        {"", "no existe"},
        {plain / "datos.txt", "una parte de la ruta no es una carpeta"},
    };
    for (const auto& c : cases) {
        const std::string shown = "«" + c.path.string() + "»: " + c.reason;
        EXPECT_EQ(ErrorText([&] { experiments::ReadTextFile(c.path, 100); }), "No se ha podido leer el fichero " + shown);
        EXPECT_EQ(ErrorText([&] { experiments::SaveFileAtomically(c.path, "x"); }),
                  "No se ha podido guardar el fichero " + shown);
        EXPECT_EQ(ErrorText([&] { experiments::LineFile file(c.path); }), "No se ha podido abrir el fichero " + shown);
    }
    EXPECT_EQ(Names(dir.path), (std::set<std::string>{"tubería", "fichero.txt"}));
    EXPECT_EQ(Contents(plain), "x");
}

TEST_F(FileIo, SaveReplacesAtOnceKeepingPermissionsAndLinksOrNotAtAll) {
    const fs::path fresh = dir / "nuevo.txt", old = dir / "viejo.txt", link = dir / "enlace.txt";
    const mode_t savedMask = ::umask(027);
    experiments::SaveFileAtomically(fresh, "uno\r\n");
    ::umask(savedMask);
    std::ofstream(old) << std::string(100, 'x');
    ::chmod(old.c_str(), 0604);
    fs::create_symlink(old.filename(), link);
    experiments::SaveFileAtomically(link, "dos\r\n");
    EXPECT_EQ(Contents(fresh), "uno\r\n");
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms(0640));
    EXPECT_EQ(Contents(old), "dos\r\n");
    EXPECT_EQ(fs::status(old).permissions(), fs::perms(0604));
    EXPECT_TRUE(fs::is_symlink(link));
    // The disk fills up eight bytes into the new contents: the old file stays byte for byte.
    std::string message;
    {
        const FileSizeLimit full(8);
        message = ErrorText([&] { experiments::SaveFileAtomically(old, "0.5\t1\r\n1\t0.5\r\n"); });
    }
    EXPECT_EQ(message, "No se ha podido guardar el fichero «" + old.string() +
                           "»: el fichero supera el tamaño máximo permitido");
    EXPECT_EQ(Contents(old), "dos\r\n");
    EXPECT_EQ(Names(dir.path), (std::set<std::string>{"nuevo.txt", "viejo.txt", "enlace.txt"}));
}

TEST_F(FileIo, LineFileThatFillsUpEndsAtTheLastCompleteLine) {
    const fs::path path = dir / "estadística.txt";
    std::ofstream(path) << std::string(100, 'x');  // emptied on opening
    experiments::LineFile file(path);
    file.WriteLine("uno");
    file.WriteLine("");
    const std::string expected = "No se ha podido escribir en el fichero «" + path.string() +
                                 "»: el fichero supera el tamaño máximo permitido";
    {
        const FileSizeLimit full(9);  // "tres" fits in part
        EXPECT_EQ(ErrorText([&] { file.WriteLine("tres"); }), expected);
    }
    EXPECT_EQ(Contents(path), "uno\r\n\r\n");
    // Refused from then on, even with room again.
    EXPECT_EQ(ErrorText([&] { file.WriteLine("4"); }), expected);
    EXPECT_EQ(Contents(path), "uno\r\n\r\n");
}

}  // namespace
