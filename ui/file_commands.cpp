// The "Archivo" menu: a relation from a file, every matrix and everything to files.
#include <QFile>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>

#include "toolkit/file_io.h"
#include "formats/relation_file.h"
#include "toolkit/number_text.h"
#include "ui/form1.h"

namespace {

const QString kFilter = QStringLiteral("fichero de texto|*.txt|todos los archivos|*");
// A relation is read from text, NumPy and Matrix Market files, and one matrix saved as any of
// them: the name's extension chooses.
const QString kOpenFilter = QStringLiteral(
    "matriz (texto, NumPy, Matrix Market)|*.txt;*.npy;*.mtx|fichero de texto|*.txt|NumPy|*.npy|Matrix Market|*.mtx|"
    "todos los archivos|*");
const QString kMatrixFilter =
    QStringLiteral("fichero de texto|*.txt|NumPy|*.npy|Matrix Market|*.mtx|todos los archivos|*");

// The name in the file system's own encoding.
std::filesystem::path PathOf(const QString& name) { return QFile::encodeName(name).toStdString(); }

}  // namespace

// A relation from a file: a trial on it, as after drawing one, drawing nothing. A file that is
// not a matrix changes nothing.
void TForm1::Cargarmatriz1Click(QObject*) {
    const std::optional<QString> name = dialogs().OpenFileName(kOpenFilter);
    if (!name) return;
    auto matrix = std::make_unique<engine::RelationMatrix>();
    const int n = formats::ReadRelationFile(PathOf(*name), *matrix);
    if (n >= experiments::kAsideDimension) {
        RunAsideTrial(QStringLiteral("Cargar matriz"),
                      [&] { return std::make_unique<experiments::AsideTrial>(experiment(), n, *matrix); });
        return;
    }
    experiment().LoadRelation(n, *matrix);
    RefreshGrids();
}

std::optional<QString> TForm1::AskSaveName(const QString& suggestedName) {
    return dialogs().SaveFileName({kFilter, QStringLiteral("txt"), true, suggestedName});
}

void TForm1::SaveMatrix(const QString& suggestedName, const engine::RelationMatrix& matrix) {
    const std::optional<QString> name = dialogs().SaveFileName({kMatrixFilter, QStringLiteral("txt"), true, suggestedName});
    if (!name) return;
    const std::filesystem::path path = PathOf(*name);
    toolkit::SaveFileAtomically(path, formats::RelationFileBytes(path, engine().dimension, matrix, toolkit::DecimalSeparator()));
}

void TForm1::SalvarMatriz1Click(QObject*) { SaveMatrix(QStringLiteral("matriz.txt"), engine().relation); }
void TForm1::SalvarCierreTransitivo1Click(QObject*) {
    SaveMatrix(QStringLiteral("cierre_min.txt"), engine().results.minClosure);
}
void TForm1::SalvarCietteProdTransitivo1Click(QObject*) {
    SaveMatrix(QStringLiteral("cierre_prod.txt"), engine().results.prodClosure);
}
void TForm1::SalvarCierreWTransitivo1Click(QObject*) {
    SaveMatrix(QStringLiteral("cierre_w.txt"), engine().results.wClosure);
}
void TForm1::SalvarMatrizMinTransitivizada1Click(QObject*) {
    SaveMatrix(QStringLiteral("transitivizada_min.txt"), engine().results.minTransitivized);
}
void TForm1::SalvarMatrizProdTransitivizada1Click(QObject*) {
    SaveMatrix(QStringLiteral("transitivizada_prod.txt"), engine().results.prodTransitivized);
}
void TForm1::SalvarMatrizWTransitivizada1Click(QObject*) {
    SaveMatrix(QStringLiteral("transitivizada_w.txt"), engine().results.wTransitivized);
}

void TForm1::SalvarTodo1Click(QObject*) {
    const std::optional<QString> name = AskSaveName(QStringLiteral("todo.txt"));
    if (!name) return;
    toolkit::SaveFileAtomically(PathOf(*name), experiments::SaveAllText(experiment()));
}
