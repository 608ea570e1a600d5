// Refusals, atomic saves and line files on a real file system; a full disk is a file size
// limit (RLIMIT_FSIZE), past which write() raises SIGXFSZ unless the writer holds it back.

#include "toolkit/file_io.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <utility>

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

// While it lives, no file may grow past `bytes`; SIGXFSZ keeps its default (end the process).
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
    rlimit saved{};
};

// Runs `work` in a child process: how the child ended (waitpid's status), and the text `work`
// returned if it returned (by way of `file`).
template <class Work>
std::pair<int, std::string> InChild(const fs::path& file, const Work& work) {
    if (::fork() == 0) {
        std::ofstream(file) << work();
        ::_exit(0);
    }
    int status = 0;
    ::wait(&status);
    const std::string text = Contents(file);
    fs::remove(file);
    return {status, text};
}

struct FileIo : ::testing::Test {
    const test_support::ScratchDir dir{"file_io"};
};

TEST_F(FileIo, ShortPathsRefusalsOfWhatIsNotARegularFileWithoutWaitingAndAnyName) {
    EXPECT_EQ(toolkit::SystemErrorText(12345), "error del sistema 12345");
    const auto repeat = [](const std::string& s, int times) { std::string out; while (times-- > 0) out += s; return out; };
    EXPECT_EQ(toolkit::ShortPath("/" + repeat("ñ", 79)), "/" + repeat("ñ", 79));
    // 5,000 characters, most of them two or three bytes long: 39 of them, "…", the last 40.
    const std::string path = "/home/usuario/" + repeat("é", 2500) + repeat("€", 2475) + "/matriz.txt";
    EXPECT_EQ(toolkit::ShortPath(path), "/home/usuario/" + repeat("é", 25) + "…" + repeat("€", 29) + "/matriz.txt");
    const fs::path fifo = dir / "tubería", plain = dir / "fichero.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(plain) << "x";
    const std::pair<fs::path, std::string> cases[] = {
        {dir.path, "es una carpeta"},
        {fifo, "no es un fichero normal"},  // opened for reading or writing it would wait for the other end
        {"/dev/zero", "no es un fichero normal"},
        {dir / "no_existe" / "datos.txt", "no existe"},
        {"", "no existe"},
        {plain / "datos.txt", "una parte de la ruta no es una carpeta"},
        {dir / std::string(256, 'n'), "el nombre es demasiado largo"},  // 255 bytes at most
    };
    for (const auto& [path, reason] : cases) {
        const std::string shown = "«" + toolkit::ShortPath(path.string()) + "»: " + reason;
        EXPECT_EQ(ErrorText([&] { toolkit::ReadTextFile(path, 100); }), "No se ha podido leer el fichero " + shown);
        EXPECT_EQ(ErrorText([&] { toolkit::SaveFileAtomically(path, "x"); }),
                  "No se ha podido guardar el fichero " + shown);
        EXPECT_EQ(ErrorText([&] { toolkit::LineFile file(path); }), "No se ha podido abrir el fichero " + shown);
    }
    // Names as long as the system allows, and names that are not UTF-8, are kept as they are.
    for (const std::string& name : {std::string(255, 'n'), std::string("\xff\xfe.txt")}) {
        toolkit::SaveFileAtomically(dir / name, "x");  // its temporary file's name is longer than 200 bytes
        EXPECT_EQ(Contents(dir / name), "x");
        toolkit::LineFile(dir / name).WriteLine("y");
        EXPECT_EQ(Contents(dir / name), "y\r\n");
    }
    EXPECT_EQ(Names(dir.path), (std::set<std::string>{"tubería", "fichero.txt", std::string(255, 'n'), "\xff\xfe.txt"}));
    EXPECT_EQ(Contents(plain), "x");
}

TEST_F(FileIo, SavesReplaceAtOnceKeepingPermissionsAndLinksOrNotAtAllAndLineFilesAreLocked) {
    const fs::path fresh = dir / "nuevo.txt", old = dir / "viejo.txt", link = dir / "enlace.txt";
    const mode_t savedMask = ::umask(027);
    toolkit::SaveFileAtomically(fresh, "uno\r\n");
    ::umask(savedMask);
    std::ofstream(old) << std::string(100, 'x');
    ::chmod(old.c_str(), 0604);
    fs::create_symlink(old.filename(), link);
    // The contents reach the disk whole before they take the old file's place.
    int syncs = 0;
    toolkit::SaveFileAtomically(link, "dos\r\n", [&](int fd) {
        struct stat status {};
        ::fstat(fd, &status);
        syncs += status.st_size == 5 && Contents(old) == std::string(100, 'x');
        return ::fsync(fd);
    });
    EXPECT_EQ(syncs, 1);
    EXPECT_EQ(Contents(fresh), "uno\r\n");
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms(0640));
    EXPECT_EQ(Contents(old), "dos\r\n");
    EXPECT_EQ(fs::status(old).permissions(), fs::perms(0604));
    EXPECT_TRUE(fs::is_symlink(link));
    // The disk fills up eight bytes into the new contents, or fails to take them.
    const std::string failed = "No se ha podido guardar el fichero «" + old.string() + "»: ";
    {
        const FileSizeLimit full(8);
        EXPECT_EQ(ErrorText([&] { toolkit::SaveFileAtomically(old, "0.5\t1\r\n1\t0.5\r\n"); }),
                  failed + "el fichero supera el tamaño máximo permitido");
    }
    EXPECT_EQ(ErrorText([&] { toolkit::SaveFileAtomically(old, "tres", [](int) { return errno = EIO, -1; }); }),
              failed + "error de entrada/salida");
    // SIGTERM in the middle of a save ends the process once the save is complete.
    const auto [status, text] = InChild(dir / "hijo", [&] {
        toolkit::SaveFileAtomically(old, "cuatro", [](int fd) { return ::raise(SIGTERM), ::fsync(fd); });
        return std::string("sin señal");
    });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << text;
    EXPECT_EQ(Contents(old), "cuatro");

    // Both writers follow links to files yet to be.
    fs::create_directory(dir / "otra");
    fs::create_symlink("otra/enlace2", dir / "enlace1");  // a chain of relative links to a file yet to be
    fs::create_symlink("datos.txt", dir / "otra" / "enlace2");
    toolkit::SaveFileAtomically(dir / "enlace1", "guardado");
    EXPECT_EQ(Contents(dir / "otra" / "datos.txt"), "guardado");
    fs::remove(dir / "otra" / "datos.txt");
    toolkit::LineFile(dir / "enlace1").WriteLine("escrito");
    EXPECT_EQ(Contents(dir / "otra" / "datos.txt"), "escrito\r\n");
    EXPECT_TRUE(fs::is_symlink(dir / "enlace1") && fs::is_symlink(dir / "otra" / "enlace2"));

    // A file its owner protected, in a folder anyone may write, for a user other than root.
    const fs::path shielded = dir / "protegido.txt";
    std::ofstream(shielded) << "quieto";
    ::chmod(shielded.c_str(), 0444);
    ::chmod(dir.path.c_str(), 0777);
    const std::string reason = "«" + shielded.string() + "»: permiso denegado";
    EXPECT_EQ(InChild(dir / "hijo", [&] {
                  if (::getuid() == 0 && ::setuid(65534) != 0) return std::string("setuid");
                  return ErrorText([&] { toolkit::SaveFileAtomically(shielded, "x"); }) + "\n" +
                         ErrorText([&] { toolkit::LineFile file(shielded); });
              }).second,
              "No se ha podido guardar el fichero " + reason + "\nNo se ha podido abrir el fichero " + reason);
    EXPECT_EQ(Contents(shielded), "quieto");

    // A statistics file being written.
    const fs::path busy = dir / "estadística.txt";
    toolkit::LineFile first(busy);
    first.WriteLine("uno");
    const std::string written = "«" + busy.string() + "»: otro proceso lo está escribiendo";
    EXPECT_EQ(ErrorText([&] { toolkit::LineFile second(busy); }), "No se ha podido abrir el fichero " + written);
    EXPECT_EQ(ErrorText([&] { toolkit::SaveFileAtomically(busy, "x"); }), "No se ha podido guardar el fichero " + written);
    first.WriteLine("dos");
    EXPECT_EQ(Contents(busy), "uno\r\ndos\r\n");
    EXPECT_EQ(Names(dir.path), (std::set<std::string>{"nuevo.txt", "viejo.txt", "enlace.txt", "otra", "enlace1",
                                                   "protegido.txt", "estadística.txt"}));
}

TEST_F(FileIo, FullLineFilesEndAtACompleteLineReservedFilesIdentitiesAndTemporariesOfKilledSaves) {
    // The last line is there from the start; a line file that fills up ends at its last
    // complete line, and refuses every line from then on, even with room again.
    const fs::path table = dir / "tabla.txt";
    std::ofstream(table) << std::string(100, 'x');  // emptied on opening
    toolkit::LineFile file(table, "\r\n", "");
    EXPECT_EQ(Contents(table), "\r\n");
    file.WriteLine("uno");
    const std::string full = "No se ha podido escribir en el fichero «" + table.string() +
                             "»: el fichero supera el tamaño máximo permitido";
    {
        const FileSizeLimit limit(9);  // "tres" fits in part, over the last line
        EXPECT_EQ(ErrorText([&] { file.WriteLine("tres"); }), full);
    }
    EXPECT_EQ(ErrorText([&] { file.WriteLine("4"); }), full);
    EXPECT_EQ(Contents(table), "uno\r\n\r\n");

    // A reserved file: created empty, locked against a line file and another reservation,
    // removed when no save came; an existing file stays as it was.
    const fs::path book = dir / "libro.xlsx";
    {
        const toolkit::ReservedFile reserved(book);
        EXPECT_TRUE(fs::exists(book));
        EXPECT_NE(ErrorText([&] { toolkit::LineFile other(book); }).find("otro proceso lo está escribiendo"),
                  std::string::npos);
        EXPECT_NE(ErrorText([&] { toolkit::ReservedFile again(book); }).find("otro proceso lo está escribiendo"),
                  std::string::npos);
    }
    EXPECT_FALSE(fs::exists(book));
    {
        toolkit::ReservedFile reserved(book);
        reserved.Save([](const fs::path& temporary, int) { std::ofstream(temporary) << "hecho"; });
    }
    EXPECT_EQ(Contents(book), "hecho");
    EXPECT_EQ(ErrorText([&] { toolkit::ReservedFile r(dir / "no" / "b.xlsx"); }),
              "No se ha podido escribir el fichero «" + (dir / "no" / "b.xlsx").string() + "»: no existe");

    // One file under several names is one identity; a name to be made follows its link.
    fs::create_hard_link(book, dir / "duro.csv");
    fs::create_symlink("futuro.txt", dir / "colgante.csv");
    EXPECT_EQ(toolkit::IdentityOf(book), toolkit::IdentityOf(dir / "duro.csv"));
    EXPECT_EQ(toolkit::IdentityOf(dir / "colgante.csv"), toolkit::IdentityOf(dir / "." / "futuro.txt"));
    EXPECT_NE(toolkit::IdentityOf(dir / "futuro.txt"), toolkit::IdentityOf(dir / "otro.txt"));

    // A killed save's temporary file goes with the next save of the file; a live one stays.
    std::ofstream(dir / ".libro.xlsx.AbCdEf") << "muerto";
    std::ofstream(dir / ".libro.xlsx.GhIjKl") << "vivo";
    const int live = ::open((dir / ".libro.xlsx.GhIjKl").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);
    toolkit::SaveFileAtomically(book, "otra vez");
    EXPECT_FALSE(fs::exists(dir / ".libro.xlsx.AbCdEf"));
    EXPECT_TRUE(fs::exists(dir / ".libro.xlsx.GhIjKl"));
    ::close(live);

    // Names that are not UTF-8 become valid text; cuts fall between characters.
    EXPECT_EQ(toolkit::ValidUtf8("a\xfd\xc3\xb1\xed\xa0\x80z"), "a\uFFFD\u00F1\uFFFD\uFFFD\uFFFDz");
    EXPECT_EQ(toolkit::FirstCharacters("\u00F1a\u00F1", 2), "\u00F1a");
}

}  // namespace
