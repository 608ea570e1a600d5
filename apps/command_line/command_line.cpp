#include "apps/command_line/command_line.h"
#include "apps/command_line/figure_options.h"
#include "apps/command_line/large_runs.h"
#include "apps/command_line/method_options.h"
#include "apps/command_line/tnorm_options.h"
#include "ui/argument_bytes.h"

#include <unistd.h>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "experiments/experiment.h"
#include "toolkit/file_io.h"
#include "formats/relation_file.h"
#include "experiments/statistics_batch.h"
#include "formats/statistics_file.h"
#include "experiments/trial_pipeline.h"
#include "experiments/batch_outputs.h"
#include "formats/analysis_matrices.h"
#include "toolkit/number_text.h"
#include "ui/charts.h"
#include "ui/heat_map.h"
#include "ui/locale.h"

namespace cli {

namespace {

// Arguments that are not understood: the message is followed by the usage.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    int largestDimension = 0;
    int sampleSize = 0;
    QString file;  // the statistics file, or the matrix to analyse
    bool reflexive = false;
    std::optional<bool> symmetric;
    std::optional<std::uint32_t> seed;
    int threads = 1;
    std::optional<QString> saveAll;
    std::optional<QString> raw, workbook;  // beside the table: every trial, the workbook
    std::optional<QString> figures;        // the folder of the figures
    ui::FigureSettings figureSettings;     // how they are drawn
    std::optional<QString> matrices;       // the folder of every matrix as NumPy files
    std::optional<int> dimension;          // --dimension: a random relation of this size, not a file
    std::vector<int> dimensions;           // --dimensiones: the dimensions of the statistics
    std::unique_ptr<experiments::TrialExtras> extras;  // --tnorma, --metodos with --estadisticas
};

void Print(std::FILE* stream, const char* text) { std::fputs(text, stream); }
void Print(std::FILE* stream, const std::string& text) { Print(stream, text.c_str()); }
void Print(std::FILE* stream, const QString& text) { Print(stream, text.toStdString()); }

/// Writes to standard output at once; a write that fails (a full disk, nobody reading) is a
/// FileError.
void PrintOut(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0)
        throw toolkit::FileError("No se ha podido escribir en la salida estándar: " +
                                     toolkit::SystemErrorText(errno));
}
void PrintOut(const QString& text) { PrintOut(text.toStdString()); }

// A file named on the command line, by the bytes of its name (see ArgumentText).
std::filesystem::path PathOf(const QString& name) { return ui::FileName(name); }

int TypedInteger(const QString& text) {
    try {
        return toolkit::StrToInt(text.toStdString());
    } catch (const toolkit::ConversionError& error) {
        throw UsageError(error.what());
    }
}

int Threads(const QString& text) {
    const int threads = TypedInteger(text);
    if (threads < 1 || threads > experiments::kMaxThreads)
        throw UsageError("'" + text.toStdString() + "' no es un número de hilos válido: debe estar entre 1 y " +
                         std::to_string(experiments::kMaxThreads));
    return threads;
}

std::uint32_t Seed(const QString& text) {
    bool ok = false;
    const qulonglong seed = text.trimmed().toULongLong(&ok);
    if (!ok || seed > 4294967295ULL || text.trimmed().startsWith(QLatin1Char('+')))
        throw UsageError("'" + text.toStdString() + "' no es una semilla válida: debe ser un entero entre 0 y 4294967295");
    return static_cast<std::uint32_t>(seed);
}

// SIGINT, SIGTERM and SIGHUP end a batch at the next trial boundary, with every complete row
// kept, and an analysis before its save. Past the file-size limit and with nobody reading
// standard output, a write fails with a reason (EFBIG, EPIPE) instead of ending the process.
std::atomic<bool> interrupted{false};
extern "C" void OnInterrupt(int) { interrupted.store(true); }

void HandleSignals() {
    struct sigaction stop {};
    stop.sa_handler = OnInterrupt;
    stop.sa_flags = SA_RESTART;
    sigemptyset(&stop.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

// One line on a terminal, rewritten in place: where the batch stands, its pace and the time
// left, estimated from the work of each trial (about n³ at dimension n).
class ProgressLine {
public:
    ProgressLine(int largestDimension, int sampleSize) : sampleSize_(sampleSize) {
        for (int n = 2; n <= largestDimension; ++n) totalWork_ += Work(n);
    }
    void Update(const experiments::BatchProgress& p) {
        const auto now = std::chrono::steady_clock::now();
        if (now - shown_ < std::chrono::milliseconds(200) && p.trialsDone != p.trialsTotal) return;
        shown_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const long long inDimension = p.trialsDone - static_cast<long long>(p.dimension - 2) * sampleSize_;
        double done = static_cast<double>(inDimension) * Work(p.dimension) / sampleSize_;
        for (int n = 2; n < p.dimension; ++n) done += Work(n);
        // The estimate means something once a second of work has been seen.
        char left[32] = "--:--";
        if (seconds >= 1.0 && done > 0) {
            const auto leftSeconds = static_cast<long long>(seconds * (totalWork_ - done) / done + 0.5);
            std::snprintf(left, sizeof left, "%lld:%02lld", leftSeconds / 60, leftSeconds % 60);
        }
        char line[160];
        const auto pace = static_cast<long long>(seconds > 0 ? static_cast<double>(p.trialsDone) / seconds + 0.5 : 0.0);
        std::snprintf(line, sizeof line, "\rDimensión %d de %d · %lld matrices/s · quedan %s\x1b[K", p.dimension,
                      p.largestDimension, pace, left);
        Print(stderr, line);
        std::fflush(stderr);
    }
    ~ProgressLine() { Print(stderr, "\n"); }

private:
    double Work(int n) const { return static_cast<double>(n) * n * n * sampleSize_; }
    const int sampleSize_;
    double totalWork_ = 0;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point shown_ = start_;
};

// An experiment as the window has it right after start-up: the options, the start-up trial.
std::unique_ptr<experiments::Experiment> Started(const engine::Variant& variant, const Options& options) {
    toolkit::SetDecimalSeparator(ui::StartDecimalSeparator(variant));
    auto experiment = std::make_unique<experiments::Experiment>(variant);
    engine::Engine& e = experiment->engine;
    e.reflexive = options.reflexive;
    if (options.symmetric) e.symmetric = *options.symmetric;
    if (options.seed) e.SetRandom(toolkit::RandomGenerator(*options.seed));
    experiment->RunTrial();
    return experiment;
}

int Statistics(const engine::Variant& variant, const Options& options) {
    auto experiment = Started(variant, options);
    std::stop_source stop;
    std::optional<ProgressLine> progress;
    if (::isatty(STDERR_FILENO)) progress.emplace(options.largestDimension, options.sampleSize);
    const auto optionalPath = [](const std::optional<QString>& name) {
        return name ? std::optional<std::filesystem::path>(PathOf(*name)) : std::nullopt;
    };
    // Without --semilla the sequence starts where the generator's own start state puts it,
    // which is that of its default seed.
    const formats::RawRun run{engine::ProgramName(variant), options.seed.value_or(std::mt19937::default_seed),
                              experiment->engine.reflexive, experiment->engine.symmetric, {}};
    // Every output is checked before any is created, so that a refused run leaves nothing.
    formats::CheckOutput(PathOf(options.file), formats::OutputKind::Table);
    experiments::BatchOutputs outputs(run, optionalPath(options.raw), optionalPath(options.workbook),
                                      options.extras.get());
    toolkit::LineFile table(PathOf(options.file), formats::kStatisticsLineEnd, experiments::kStatisticsLastLine);
    experiments::BatchOptions batch{options.threads, stop.get_token(), [&](const experiments::BatchProgress& p) {
                                        if (interrupted.load()) stop.request_stop();
                                        if (progress) progress->Update(p);
                                    }};
    batch.trial = [&](int dimension, int trial, const engine::Analysis& results) {
        outputs.Trial(dimension, trial, results);
    };
    batch.extras = options.extras.get();
    const bool complete =
        experiments::RunStatisticsBatch(table, *experiment, options.largestDimension, options.sampleSize, batch);
    progress.reset();
    outputs.Finish(variant.integerMeans, options.largestDimension, options.sampleSize, options.threads, complete);
    if (complete) return kSuccess;
    Print(stderr, "Interrumpido: el fichero «" + toolkit::ShortPath(PathOf(options.file).string()) +
                      "» guarda las filas de las dimensiones completadas.\n");
    return kFailure;
}

// Statistics at the dimensions of a list: every trial into the raw file and the workbook; no
// text table, whose form is every dimension 2 … D.
int ChosenDimensions(const engine::Variant& variant, const Options& options) {
    auto experiment = Started(variant, options);
    const auto optionalPath = [](const std::optional<QString>& name) {
        return name ? std::optional<std::filesystem::path>(PathOf(*name)) : std::nullopt;
    };
    const formats::RawRun run{engine::ProgramName(variant), options.seed.value_or(std::mt19937::default_seed),
                              experiment->engine.reflexive, experiment->engine.symmetric, {}};
    experiments::BatchOutputs outputs(run, optionalPath(options.raw), optionalPath(options.workbook),
                                      options.extras.get());
    const bool complete = RunChosenDimensions(*experiment, options.dimensions, options.sampleSize, options.threads,
                                              outputs, interrupted, options.extras.get());
    outputs.Finish(variant.integerMeans, *std::max_element(options.dimensions.begin(), options.dimensions.end()),
                   options.sampleSize, options.threads, complete);
    if (complete) return kSuccess;
    Print(stderr, "Interrumpido: los ficheros guardan los ensayos hechos.\n");
    return kFailure;
}

int Merge(const engine::Variant& variant, const QString& workbook, const QStringList& files) {
    const std::filesystem::path output = PathOf(workbook);
    const std::string name = toolkit::ShortPath(output.string());
    // The workbook is named first: a forgotten name must not make the first raw file the output.
    if (!workbook.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        throw UsageError("el libro «" + name + "» de --reune ha de acabar en .xlsx (va antes de los ficheros que reúne)");
    std::vector<std::filesystem::path> paths;
    const toolkit::FileIdentity outputIdentity = toolkit::IdentityOf(output);
    for (const QString& file : files) {
        paths.push_back(PathOf(file));
        if (toolkit::IdentityOf(paths.back()) == outputIdentity)
            throw UsageError("el libro «" + name + "» es también uno de los ficheros que reúne");
    }
    formats::CheckOutput(output, formats::OutputKind::Workbook);
    toolkit::ReservedFile reserved(output);
    auto summary = std::make_unique<formats::TrialSummary>();
    const formats::RunFacts facts = experiments::MergeRawFiles(engine::ProgramName(variant), paths, *summary);
    const std::vector<int> dimensions = summary->Dimensions();
    formats::WriteWorkbook(reserved, name, *summary, variant.integerMeans, dimensions.back(), facts, 0);
    return kSuccess;
}

// The extra measures of --tnorma and --metodos in a batch: the asked t-norms' columns and the
// methods' under them (under min, prod and w without --tnorma).
std::unique_ptr<experiments::TrialExtras> StatisticsExtras(const QCommandLineParser& parser, MethodOptions& methods,
                                                           const engine::Variant& variant, bool reflexiveSymmetric) {
    std::vector<engine::AnyTNorm> tnorms, methodTNorms;
    std::vector<engine::Method> list;
    try {
        for (const QString& name : parser.values(QStringLiteral("tnorma")))
            tnorms.push_back(engine::AnyTNorm::Parse(name.toStdString()));
        if (parser.isSet(QStringLiteral("metodos"))) {
            methods.Read(parser);
            list = methods.Methods();
            methodTNorms = methods.TNorms();
        }
        return std::make_unique<experiments::TrialExtras>(tnorms, list, methodTNorms, reflexiveSymmetric,
                                                          variant.symmetrizing);
    } catch (const engine::TNormError& error) {
        throw UsageError(std::string("--tnorma: ") + error.what());
    } catch (const MethodOptionError& error) {
        throw UsageError(error.what());
    } catch (const experiments::TrialExtrasError& error) {
        throw UsageError(std::string("--metodos: ") + error.what());
    }
}

// The folder of the figures, checked before anything is computed or written.
void CheckFolder(const QString& folder) {
    const std::filesystem::path path = PathOf(folder);
    const std::string name = "«" + toolkit::ShortPath(path.string()) + "»";
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) throw toolkit::FileError("No existe la carpeta " + name);
    if (!std::filesystem::is_directory(status)) throw toolkit::FileError(name + " no es una carpeta");
    if (::access(path.c_str(), W_OK | X_OK) != 0)
        throw toolkit::FileError("No se puede escribir en la carpeta " + name + ": " +
                                     toolkit::SystemErrorText(errno));
}

// The relation, the six results and their differences as heat maps, and the bars of the six
// distances, in each format asked, drawn by the windows' own code.
void WriteFigures(const experiments::Experiment& experiment, const QString& folder, const ui::FigureSettings& settings) {
    const std::shared_ptr<const experiments::Snapshot> snapshot = experiments::TakeSnapshot(experiment);
    ui::SaveMatrixFigures(*snapshot, folder, settings);
    for (const ui::FigureFormat format : settings.formats)
        ui::SaveDistanceBars(QDir(folder).filePath(QStringLiteral("distancias") + ui::FigureExtension(format)),
                             snapshot->results, snapshot->dimension, toolkit::DecimalSeparator(), settings);
}

// Options that draw figures need an application with a platform to paint with: Qt's offscreen
// one, so no display is needed.
bool WantsFigures(int argc, char** argv) {
    for (int k = 1; k < argc; ++k)
        if (std::strncmp(argv[k], "--figuras", 9) == 0) return true;
    return false;
}

// With t-norm options, the texts, the save and the figures are those of the asked t-norms
// (the program's three without --tnorma), and the sweep's table follows the texts.
int Analyze(const engine::Variant& variant, const Options& options, TNormOptions* tnorms) {
    if (options.figures) CheckFolder(*options.figures);
    const bool fromFile = !options.dimension;
    if (options.matrices) {
        CheckFolder(*options.matrices);
        const std::filesystem::path folder = PathOf(*options.matrices);
        std::vector<std::string> files;
        if (tnorms && tnorms->AskedTNorms()) files = tnorms->MatrixFiles();
        else for (const std::string_view file : formats::kAnalysisMatrixFiles) files.emplace_back(file);
        if (fromFile) {
            const toolkit::FileIdentity input = toolkit::IdentityOf(PathOf(options.file));
            for (const std::string& file : files)
                if (toolkit::IdentityOf(folder / file) == input)
                    throw UsageError("--matrices no puede escribir en la matriz que se analiza");
        }
        formats::CheckMatrixFiles(folder, files);
    }
    if (options.saveAll) {
        if (fromFile && toolkit::IdentityOf(PathOf(*options.saveAll)) == toolkit::IdentityOf(PathOf(options.file)))
            throw UsageError("--salva-todo no puede escribir en la matriz que se analiza");
        formats::CheckOutput(PathOf(*options.saveAll), formats::OutputKind::SaveAll);
    }
    auto experiment = Started(variant, options);
    // A long analysis is followed and may be stopped; stopped, the run ends writing nothing, so
    // the engine analyses in place (no second copy of its matrices).
    try {
        engine::Engine& e = experiment->engine;
        std::unique_ptr<engine::RelationMatrix> matrix;
        int n = 0;
        if (options.dimension) {
            n = *options.dimension;  // a relation drawn with the options, as "Genera Matriz" draws one
        } else {
            matrix = std::make_unique<engine::RelationMatrix>();
            n = formats::ReadRelationFile(PathOf(options.file), *matrix);
        }
        RunFollowed(n, [&](engine::AnalysisControl& control) {
            e.control = &control;
            if (matrix) {
                experiment->LoadRelation(n, std::move(*matrix));
            } else {
                e.dimension = n;
                experiment->RunTrial();
            }
            e.control = nullptr;
        }, interrupted);
    } catch (const engine::AnalysisStopped&) {
        Print(stderr, "Interrumpido: no se ha escrito nada.\n");
        return kFailure;
    }
    const bool others = tnorms && tnorms->AskedTNorms();
    std::string texts;
    if (tnorms) {
        tnorms->Analyze(*experiment);
        texts = tnorms->Texts();
    } else {
        for (const std::string& text : experiment->engine.results.resultText) texts += (texts.empty() ? "" : "\n") + text + "\n";
    }
    // Standard output lost is told after the save, which does not depend on it.
    std::optional<toolkit::FileError> lost;
    try {
        if (!texts.empty()) PrintOut(texts);
    } catch (const toolkit::FileError& error) {
        lost = error;
    }
    // A stop asked for before the save prevents it; during the save, it waits for its end.
    const bool saving = options.saveAll && !interrupted.load();
    if (saving)
        toolkit::SaveFileAtomically(PathOf(*options.saveAll),
                                    others ? tnorms->SaveAllText(*experiment) : SaveAllText(*experiment));
    if (interrupted.load()) {
        const std::string name = options.saveAll ? "«" + toolkit::ShortPath(PathOf(*options.saveAll).string()) + "»" : "";
        Print(stderr, !options.saveAll ? std::string("Interrumpido.\n")
                      : saving         ? "Interrumpido: el fichero " + name + " se ha guardado entero.\n"
                                       : "Interrumpido: no se ha guardado el fichero " + name + ".\n");
        return kFailure;
    }
    if (lost) throw *lost;
    if (options.matrices) {
        if (others)
            tnorms->WriteMatrices(*experiment, PathOf(*options.matrices));
        else
            formats::WriteAnalysisMatrices(PathOf(*options.matrices), experiment->engine.dimension,
                                           experiment->engine.relation, experiment->engine.results);
    }
    if (tnorms) tnorms->WriteSweep();
    if (options.figures) {
        if (!others) WriteFigures(*experiment, *options.figures, options.figureSettings);
        if (tnorms) tnorms->WriteFigures(*experiment, *options.figures);
    }
    return kSuccess;
}

// Qt's own notices (the offscreen platform's, a missing XDG_RUNTIME_DIR) are not the command's
// business: it reports its own errors in Spanish. Only Qt's critical and fatal messages pass.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) Print(stderr, message + QLatin1Char('\n'));
}

}  // namespace

int RunCommandLine(int argc, char** argv, const engine::Variant& variant) {
    HandleSignals();
    qInstallMessageHandler(QtMessages);
    std::unique_ptr<QCoreApplication> app;
    if (WantsFigures(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    toolkit::KeepCNumericLocale();
    QCoreApplication& application = *app;
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << ui::ArgumentText(argv[i]);
    const QString program = QString::fromLatin1(engine::ProgramName(variant));
    QCoreApplication::setApplicationName(program);
    QCoreApplication::setApplicationVersion(QStringLiteral(WORKBENCH_VERSION));
    ui::InstallSpanishTranslation(application);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sin argumentos abre la ventana. Con ellos trabaja sin ventana ni pantalla:\n"
                       "  %1 --estadisticas D S FICHERO  escribe en FICHERO la tabla de estadísticas de las\n"
                       "      dimensiones 2 … D con S matrices por dimensión, como el botón «%2».\n"
                       "  %1 --analiza MATRIZ  analiza la matriz del fichero MATRIZ y escribe los seis\n"
                       "      resultados, como «Cargar matriz»; con --figuras CARPETA escribe además en\n"
                       "      CARPETA la relación, los seis resultados y sus diferencias como mapas de\n"
                       "      calor y las barras de las seis distancias (--tamano, --ppp, --fuente,\n"
                       "      --formato y --escala dicen cómo). Con --tnorma, los resultados, --salva-todo\n"
                       "      y --figuras son los de las t-normas pedidas (cierre_NOMBRE, transitivizada_NOMBRE,\n"
                       "      con «:» escrito «_»); con --barrido y --figuras, además la gráfica barrido_FAMILIA.\n"
                       "      Con --matrices CARPETA, cada matriz como fichero .npy de NumPy (con --tnorma, las de\n"
                       "      las t-normas pedidas; con --metodos, METODO_TNORMA.npy). MATRIZ puede ser\n"
                       "      texto, .npy o .mtx (Matrix Market), de hasta 5000 × 5000.\n"
                       "  %1 --dimension N  como --analiza, con una relación aleatoria de N elementos.\n"
                       "  %1 --reune LIBRO CRUDO…  escribe en LIBRO el libro de cálculo de los ensayos de los\n"
                       "      ficheros CRUDO (de --crudo) juntos, dimensión a dimensión.")
            .arg(program, variant.integerMeans ? QStringLiteral("excell") : QStringLiteral("excel")));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Muestra esta ayuda."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Muestra la versión del programa."));
    const QCommandLineOption statistics(QStringLiteral("estadisticas"),
                                        QStringLiteral("Tabla de estadísticas: D, S y FICHERO van detrás."));
    const QCommandLineOption reflexive(QStringLiteral("reflexiva"),
                                       QStringLiteral("Con --estadisticas o --dimension: genera matrices reflexivas."));
    const QCommandLineOption symmetric(QStringLiteral("simetrica"),
                                       QStringLiteral("Con --estadisticas o --dimension: genera matrices simétricas."));
    const QCommandLineOption notSymmetric(QStringLiteral("no-simetrica"),
                                          QStringLiteral("Con --estadisticas o --dimension: genera matrices no simétricas."));
    const QCommandLineOption seed(QStringLiteral("semilla"),
                                  QStringLiteral("Con --estadisticas o --dimension: empieza la sucesión aleatoria en la semilla N "
                                                 "(0 … 4294967295) en vez de la de siempre."),
                                  QStringLiteral("N"));
    const QCommandLineOption threads(QStringLiteral("hilos"),
                                     QStringLiteral("Con --estadisticas: hilos de cálculo (por omisión, todos los "
                                                    "núcleos); el fichero no depende de ello."),
                                     QStringLiteral("N"));
    const QCommandLineOption analyze(QStringLiteral("analiza"),
                                     QStringLiteral("Analiza la matriz del fichero MATRIZ."), QStringLiteral("MATRIZ"));
    const QCommandLineOption saveAll(QStringLiteral("salva-todo"),
                                     QStringLiteral("Con --analiza: guarda además todo en FICHERO, como «Salvar Todo»."),
                                     QStringLiteral("FICHERO"));
    const QCommandLineOption raw(QStringLiteral("crudo"),
                                 QStringLiteral("Con --estadisticas: escribe además cada ensayo en FICHERO (CSV)."),
                                 QStringLiteral("FICHERO"));
    const QCommandLineOption workbook(QStringLiteral("libro"),
                                      QStringLiteral("Con --estadisticas: escribe además el libro de cálculo FICHERO "
                                                     "(.xlsx) con medias, dispersión, intervalos y gráfica."),
                                      QStringLiteral("FICHERO"));
    const QCommandLineOption merge(QStringLiteral("reune"),
                                   QStringLiteral("Reúne en el libro LIBRO (.xlsx) los ensayos de los ficheros que "
                                                  "siguen, escritos por --crudo."),
                                   QStringLiteral("LIBRO"));
    const QCommandLineOption figures(QStringLiteral("figuras"),
                                     QStringLiteral("Con --analiza: escribe las figuras en la carpeta CARPETA."),
                                     QStringLiteral("CARPETA"));
    const QCommandLineOption matrices(QStringLiteral("matrices"),
                                      QStringLiteral("Con --analiza: escribe la relación y cada resultado como fichero "
                                                     ".npy de NumPy en la carpeta CARPETA."),
                                      QStringLiteral("CARPETA"));
    const QCommandLineOption dimension(
        QStringLiteral("dimension"),
        QStringLiteral("Analiza, en vez de un fichero, una relación aleatoria de N elementos (1 … 5000), generada "
                       "con --reflexiva, --simetrica y --semilla como las de --estadisticas."),
        QStringLiteral("N"));
    const QCommandLineOption dimensions(
        QStringLiteral("dimensiones"),
        QStringLiteral("Con --estadisticas: S matrices en cada dimensión de LISTA (200,400,800 o 100:1000:100; "
                       "hasta 5000) en vez de 2 … D; detrás va solo S, y los ensayos van a --crudo y --libro."),
        QStringLiteral("LISTA"));
    parser.addOptions({help, version, statistics, reflexive, symmetric, notSymmetric, seed, threads, raw, workbook,
                       analyze, dimension, saveAll, figures, matrices, merge, dimensions});
    TNormOptions tnormOptions;
    tnormOptions.AddTo(parser);
    const FigureOptions figureOptions;
    figureOptions.AddTo(parser);
    MethodOptions methodOptions;
    methodOptions.AddTo(parser);
    parser.addPositionalArgument(QStringLiteral("D"), QStringLiteral("Con --estadisticas: la dimensión mayor (hasta 100; más, con --dimensiones)."));
    parser.addPositionalArgument(QStringLiteral("S"), QStringLiteral("Con --estadisticas: matrices por dimensión."));
    parser.addPositionalArgument(QStringLiteral("FICHERO"), QStringLiteral("Con --estadisticas: el fichero de la tabla."));

    // The usage names the program as it is called, not by the path it was started from.
    QString usage = parser.helpText();
    usage.replace(usage.indexOf(QCoreApplication::arguments().constFirst()),
                  QCoreApplication::arguments().constFirst().size(), program);
    try {
        if (!parser.parse(arguments)) throw UsageError(parser.errorText().toStdString());
        if (parser.isSet(help)) {
            PrintOut(usage);
            return kSuccess;
        }
        if (parser.isSet(version)) {
            PrintOut(program + QLatin1Char(' ') + QCoreApplication::applicationVersion() + QLatin1Char('\n'));
            return kSuccess;
        }
        const bool statisticsMode = parser.isSet(statistics), drawMode = parser.isSet(dimension),
                   analyzeMode = parser.isSet(analyze) || drawMode, mergeMode = parser.isSet(merge);
        if (parser.isSet(analyze) && drawMode) throw UsageError("--analiza y --dimension no van juntas");
        if (!statisticsMode && !analyzeMode && !mergeMode)
            throw UsageError("falta el modo: --estadisticas, --analiza o --reune");
        if (statisticsMode && analyzeMode) throw UsageError("--estadisticas y --analiza no van juntas");
        if (mergeMode && (statisticsMode || analyzeMode))
            throw UsageError(statisticsMode ? "--estadisticas y --reune no van juntas" : "--analiza y --reune no van juntas");
        const QCommandLineOption* generation[] = {&reflexive, &symmetric, &notSymmetric, &seed};
        for (const QCommandLineOption* option : generation)
            if (!statisticsMode && !drawMode && parser.isSet(*option))
                throw UsageError("--" + option->names().constLast().toStdString() +
                                 " solo va con --estadisticas o --dimension");
        const QCommandLineOption* statisticsOnly[] = {&threads, &raw, &workbook, &dimensions};
        for (const QCommandLineOption* option : statisticsOnly)
            if (!statisticsMode && parser.isSet(*option))
                throw UsageError("--" + option->names().constLast().toStdString() + " solo va con --estadisticas");
        if (!analyzeMode && parser.isSet(saveAll)) throw UsageError("--salva-todo solo va con --analiza");
        if (!analyzeMode && parser.isSet(figures)) throw UsageError("--figuras solo va con --analiza");
        if (const QString option = figureOptions.FirstGiven(parser); !option.isEmpty() && !parser.isSet(figures))
            throw UsageError(option.toStdString() + " solo va con --figuras");
        if (!analyzeMode && parser.isSet(matrices)) throw UsageError("--matrices solo va con --analiza");
        // With --estadisticas, --tnorma and --metodos add their columns to the raw file and the workbook.
        const bool statisticsExtras = statisticsMode && (parser.isSet(QStringLiteral("tnorma")) ||
                                                         parser.isSet(QStringLiteral("metodos")));
        for (const char* option : {"barrido", "lineal", "barrido-csv", "tabla-metodos", "diagnostico"})
            if (statisticsMode && parser.isSet(QString::fromLatin1(option)))
                throw UsageError(std::string("--") + option + " solo va con --analiza");
        if (!analyzeMode && !statisticsMode && tnormOptions.Given(parser))
            throw UsageError("--tnorma, --barrido, --lineal y --barrido-csv solo van con --analiza o --estadisticas");
        if (!analyzeMode && !statisticsMode && methodOptions.Given(parser))
            throw UsageError("--metodos, --tabla-metodos y --diagnostico solo van con --analiza o --estadisticas");
        if (parser.isSet(symmetric) && parser.isSet(notSymmetric))
            throw UsageError("--simetrica y --no-simetrica no van juntas");

        Options options;
        const QStringList positional = parser.positionalArguments();
        if (analyzeMode) {
            if (!positional.isEmpty())
                throw UsageError("sobra «" + positional.constFirst().toStdString() + "»: " +
                                 (drawMode ? "--dimension" : "--analiza") + " no lleva más argumentos");
            options.file = parser.value(analyze);
            if (drawMode) {
                const int n = TypedInteger(parser.value(dimension));
                if (n < 1 || n > engine::kLargestDimension)
                    throw UsageError("'" + parser.value(dimension).toStdString() +
                                     "' no es una dimensión válida: debe estar entre 1 y " +
                                     std::to_string(engine::kLargestDimension));
                options.dimension = n;
                options.reflexive = parser.isSet(reflexive);
                if (parser.isSet(symmetric) || parser.isSet(notSymmetric)) options.symmetric = parser.isSet(symmetric);
                if (parser.isSet(seed)) options.seed = Seed(parser.value(seed));
            }
            if (parser.isSet(saveAll)) options.saveAll = parser.value(saveAll);
            if (parser.isSet(figures)) {
                options.figures = parser.value(figures);
                try {
                    options.figureSettings = figureOptions.Read(parser);
                } catch (const FigureOptionError& error) {
                    throw UsageError(error.what());
                }
            }
            if (parser.isSet(matrices)) options.matrices = parser.value(matrices);
            if (options.matrices && parser.isSet(QStringLiteral("barrido")))
                throw UsageError("--matrices no va con --barrido");
            if (methodOptions.Given(parser)) {
                if (options.saveAll || options.figures || parser.isSet(QStringLiteral("barrido")))
                    throw UsageError("--metodos y --diagnostico no van con --salva-todo, --figuras ni --barrido");
                try {
                    methodOptions.Read(parser);
                } catch (const MethodOptionError& error) {
                    throw UsageError(error.what());
                }
                std::optional<std::filesystem::path> folder;
                if (options.matrices) {
                    folder = PathOf(*options.matrices);
                    CheckFolder(*options.matrices);
                    const auto input = drawMode ? std::nullopt : std::optional(toolkit::IdentityOf(PathOf(options.file)));
                    for (const std::string& file : methodOptions.MatrixFiles())
                        if (input && toolkit::IdentityOf(*folder / file) == *input)
                            throw UsageError("--matrices no puede escribir en la matriz que se analiza");
                    formats::CheckMatrixFiles(*folder, methodOptions.MatrixFiles());
                }
                if (!drawMode) return methodOptions.Run(variant, options.file, folder);
                // The relation --dimension alone would analyse, drawn with the same options.
                auto experiment = Started(variant, options);
                auto drawn = std::make_unique<engine::RelationMatrix>();
                experiment->engine.DrawRelation(*options.dimension, *drawn);
                return methodOptions.Run(variant, *options.dimension, *drawn, folder);
            }
            if (!tnormOptions.Given(parser)) return Analyze(variant, options, nullptr);
            try {
                tnormOptions.Read(parser);
            } catch (const TNormOptionError& error) {
                throw UsageError(error.what());
            }
            return Analyze(variant, options, &tnormOptions);
        }
        if (mergeMode) {
            if (positional.isEmpty()) throw UsageError("--reune necesita al menos un fichero de ensayos");
            return Merge(variant, parser.value(merge), positional);
        }
        if (parser.isSet(dimensions)) {
            if (positional.size() != 1) throw UsageError("--estadisticas con --dimensiones necesita solo S");
            if (!parser.isSet(raw) && !parser.isSet(workbook))
                throw UsageError("--dimensiones necesita --crudo o --libro: la tabla de texto es la de 2 … D");
            try {
                options.dimensions = ParseDimensionList(parser.value(dimensions).toStdString());
            } catch (const DimensionListError& error) {
                throw UsageError(error.what());
            }
            options.sampleSize = TypedInteger(positional[0]);
            try {
                formats::ValidateSampleSize(options.sampleSize);
            } catch (const formats::StatisticsError& error) {
                throw UsageError(error.what());
            }
        } else if (positional.size() != 3) {
            throw UsageError("--estadisticas necesita D, S y FICHERO");
        }
        if (options.dimensions.empty()) {
        options.largestDimension = TypedInteger(positional[0]);
        options.sampleSize = TypedInteger(positional[1]);
        try {
            formats::ValidateLargestDimension(options.largestDimension);
            formats::ValidateSampleSize(options.sampleSize);
        } catch (const formats::StatisticsError& error) {
            throw UsageError(error.what());
        }
        options.file = positional[2];
        }
        options.reflexive = parser.isSet(reflexive);
        if (parser.isSet(symmetric) || parser.isSet(notSymmetric)) options.symmetric = parser.isSet(symmetric);
        if (parser.isSet(seed)) options.seed = Seed(parser.value(seed));
        if (statisticsExtras) {
            if (!parser.isSet(raw) && !parser.isSet(workbook))
                throw UsageError("--tnorma y --metodos con --estadisticas necesitan --crudo o --libro: la tabla de "
                                 "texto tiene solo min, prod y w");
            options.extras = StatisticsExtras(parser, methodOptions, variant,
                                              options.reflexive && options.symmetric.value_or(variant.symmetricAtStart));
        }
        if (parser.isSet(raw)) options.raw = parser.value(raw);
        if (parser.isSet(workbook)) options.workbook = parser.value(workbook);
        // Two outputs into one file would interleave their lines or replace one another: one
        // file however it is named (links, hard links, "./" and "..").
        const auto same = [](const QString& a, const std::optional<QString>& b) {
            return b && toolkit::IdentityOf(PathOf(a)) == toolkit::IdentityOf(PathOf(*b));
        };
        const bool table = options.dimensions.empty();
        if ((table && (same(options.file, options.raw) || same(options.file, options.workbook))) ||
            (options.raw && same(*options.raw, options.workbook)))
            throw UsageError("la tabla, --crudo y --libro necesitan ficheros distintos");
        options.threads = parser.isSet(threads) ? Threads(parser.value(threads))
                                                : std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1,
                                                             experiments::kMaxThreads);
        return table ? Statistics(variant, options) : ChosenDimensions(variant, options);
    } catch (const UsageError& error) {
        Print(stderr, program + QStringLiteral(": ") + QString::fromStdString(error.what()) + QStringLiteral("\n\n") + usage);
        return kUsage;
    } catch (const std::exception& error) {
        // The message as it stands: a file name in it is bytes, not necessarily UTF-8.
        Print(stderr, program.toStdString() + ": " + error.what() + "\n");
        return kFailure;
    }
}

}  // namespace cli
