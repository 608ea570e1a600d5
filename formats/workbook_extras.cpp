// The sheets of the extra columns: other t-norms and the lowering methods.

#include "formats/workbook_book.h"

namespace formats::workbook_detail {

namespace {

const char* const kMeanParts[] = {"media", "desviación típica", "IC 95 % inferior", "IC 95 % superior"};

// Two heading rows: the fixed columns, then per group its title over the mean's four parts.
void Headings(Book& book, const std::vector<std::string>& fixed, const std::vector<std::string>& groups) {
    int column = 0;
    for (const std::string& title : fixed) book.Text(0, column++, title, true);
    for (const std::string& title : groups) {
        book.Merged(0, column, column + 3, title);
        for (int p = 0; p < 4; ++p) book.Text(1, column + p, kMeanParts[p], true);
        column += 4;
    }
}

}  // namespace

void WriteTNorms(Book& book, const TrialSummary& summary, long long sampleSize) {
    book.Sheet("T-normas");
    Headings(book, {"Dimensión", "T-norma", "Ensayos"},
             {"d1 cierre", "d1 transitivizada", "d2 cierre", "d2 transitivizada", "d1 cierre − d1 transitivizada"});
    const int percentColumn = 3 + 5 * 4;
    book.Text(1, percentColumn, "% mayor CT", true);
    book.Text(1, percentColumn + 1, "Wilson 95 % inferior", true);
    book.Text(1, percentColumn + 2, "Wilson 95 % superior", true);
    int row = 2;
    for (int n : summary.Dimensions()) {
        const DimensionSummary& s = summary.At(n);
        for (std::size_t k = 0; k < summary.TNormRows().size(); ++k) {
            const TNormRow& tnorm = summary.TNormRows()[k];
            const DimensionSummary::TNormSeries& series = s.tnorms[k];
            book.Number(row, 0, n);
            book.Text(row, 1, tnorm.tnorm, false, true);
            book.Number(row, 2, static_cast<double>(s.trials));
            MeanColumns(book, row, 3, series.d1Closure);
            MeanColumns(book, row, 11, series.d2Closure);
            // A t-norm without transitivization (the drastic one) leaves its columns empty.
            if (tnorm.d1Transitivized.Found()) {
                MeanColumns(book, row, 7, series.d1Transitivized);
                MeanColumns(book, row, 15, series.d2Transitivized);
                MeanColumns(book, row, 19, series.difference);
            }
            if (tnorm.farther >= 0) {
                const toolkit::Interval wilson = toolkit::WilsonInterval95(series.closureFarther, s.trials);
                book.Number(row, percentColumn,
                            100.0 * static_cast<double>(series.closureFarther) / static_cast<double>(s.trials));
                book.Number(row, percentColumn + 1, 100.0 * wilson.low);
                book.Number(row, percentColumn + 2, 100.0 * wilson.high);
            }
            MarkIncomplete(book, row, percentColumn + 3, s, sampleSize);
            ++row;
        }
    }
}

void WriteMethods(Book& book, const TrialSummary& summary, long long sampleSize) {
    book.Sheet("Métodos");
    Headings(book, {"Dimensión", "T-norma", "Método", "Ensayos"}, {"d1", "d2", "d1 − d1 de la técnica"});
    int row = 2;
    for (int n : summary.Dimensions()) {
        const DimensionSummary& s = summary.At(n);
        for (std::size_t k = 0; k < summary.MethodRows().size(); ++k) {
            const MethodRow& method = summary.MethodRows()[k];
            const DimensionSummary::MethodSeries& series = s.methods[k];
            book.Number(row, 0, n);
            book.Text(row, 1, method.tnorm, false, true);
            book.Text(row, 2, method.method, false, true);
            book.Number(row, 3, static_cast<double>(s.trials));
            MeanColumns(book, row, 4, series.d1);
            MeanColumns(book, row, 8, series.d2);
            if (method.technique.Found()) MeanColumns(book, row, 12, series.difference);
            MarkIncomplete(book, row, 16, s, sampleSize);
            ++row;
        }
    }
}

}  // namespace formats::workbook_detail
