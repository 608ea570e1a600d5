#include "formats/workbook.h"

#include "formats/workbook_book.h"

#include <locale.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <climits>
#include <map>
#include <cmath>
#include <string_view>

#include "toolkit/file_io.h"
#include "toolkit/number_text.h"

namespace formats {

namespace {

namespace fs = std::filesystem;
using workbook_detail::Book;
using workbook_detail::CNumbers;
using workbook_detail::MarkIncomplete;
using workbook_detail::MeanColumns;

constexpr std::array<const char*, 12> kDistanceNames = {"d1 CT Min",   "d1 Min Tr",   "d1 CT Prod",  "d1 Prod Tr",
                                                        "d1 CT Lukas", "d1 Lukas Tr", "d2 CT Min",   "d2 Min Tr",
                                                        "d2 CT Prod",  "d2 Prod Tr",  "d2 CT Lukas", "d2 Lukas Tr"};
constexpr std::array<const char*, engine::kTNormCount> kTNormNames = {"Min", "Prod", "Lukas"};
constexpr const char* kDispersion = "Dispersión";
constexpr int kFirstDataRow = 2;  // Dispersión and Diferencias: two heading rows

// The dimensions that have all the trials of a batch of `sampleSize` (all of them when 0).
std::vector<int> CompleteDimensions(const TrialSummary& summary, long long sampleSize) {
    std::vector<int> dimensions = summary.Dimensions();
    if (sampleSize > 0)
        std::erase_if(dimensions, [&](int n) { return summary.At(n).trials != sampleSize; });
    return dimensions;
}

void WriteTable(Book& book, const TrialSummary& summary, bool integerMeans, int largestDimension,
                long long sampleSize) {
    book.Sheet("Tabla");
    const std::vector<int> dimensions = CompleteDimensions(summary, sampleSize);
    book.Number(0, 0, largestDimension);
    book.Text(0, 1, "Dimensiones");
    book.Text(1, 0, "Tamaño Muestral (matrices generadas en cada dimensión):");
    // The sample size, when every dimension has the same number of trials.
    const long long trials = dimensions.empty() ? 0 : summary.At(dimensions.front()).trials;
    if (std::all_of(dimensions.begin(), dimensions.end(), [&](int n) { return summary.At(n).trials == trials; }))
        book.Number(1, 1, static_cast<double>(trials));
    book.Text(3, 0, "Distancia 1");
    book.Text(3, 11, "Distancia Euclidea");
    const char* headings[] = {"Dimesión",   "d1 CT Min",   "d1 Min Tr",  "% mayor CT", "d1 CT Prod", "d1 Prod Tr",
                              "% mayor CT", "d1 CT Lukas", "d1 Lukas Tr", "% mayor CT", " Dimesión",  "d2 CT Min",
                              "d2 Min Tr",  "d2 CT Prod",  "d2 Prod Tr", "d2 CT Lukas", "d2 Lukas Tr"};
    for (int c = 0; c < 17; ++c) book.Text(4, c, headings[c], true);
    int row = 5;
    for (int n : dimensions) {
        const DimensionSummary& s = summary.At(n);
        const auto mean = [&](float sum) { return TableMean(sum, s.trials, integerMeans); };
        int column = 0;
        book.Number(row, column++, n);
        for (int t = 0; t < engine::kTNormCount; ++t) {
            book.Number(row, column++, mean(s.sums.d1Closure[t]));
            book.Number(row, column++, mean(s.sums.d1Transitivized[t]));
            const long long farther = s.closureFarther[t];
            book.Number(row, column++,
                        formats::ClosureGreaterPercent(static_cast<int>(std::min<long long>(farther, INT_MAX)),
                                                           static_cast<int>(std::min<long long>(s.trials - farther, INT_MAX))),
                        book.Percent());
        }
        book.Number(row, column++, n);
        for (int t = 0; t < engine::kTNormCount; ++t) {
            book.Number(row, column++, mean(s.sums.d2Closure[t]));
            book.Number(row, column++, mean(s.sums.d2Transitivized[t]));
        }
        ++row;
    }
}

void WriteDispersion(Book& book, const TrialSummary& summary, long long sampleSize) {
    book.Sheet(kDispersion);
    book.Text(0, 0, "Dimensión", true);
    book.Text(0, 1, "Ensayos", true);
    for (int c = 0; c < 12; ++c) {
        const int first = 2 + 4 * c;
        book.Merged(0, first, first + 3, kDistanceNames[static_cast<std::size_t>(c)]);
        const char* parts[] = {"media", "desviación típica", "IC 95 % inferior", "IC 95 % superior"};
        for (int p = 0; p < 4; ++p) book.Text(1, first + p, parts[p], true);
    }
    int row = kFirstDataRow;
    for (int n : summary.Dimensions()) {
        const DimensionSummary& s = summary.At(n);
        book.Number(row, 0, n);
        book.Number(row, 1, static_cast<double>(s.trials));
        for (int c = 0; c < 12; ++c) MeanColumns(book, row, 2 + 4 * c, s.distances[static_cast<std::size_t>(c)]);
        MarkIncomplete(book, row, 2 + 4 * 12, s, sampleSize);
        ++row;
    }
}

void WriteDifferences(Book& book, const TrialSummary& summary, long long sampleSize) {
    book.Sheet("Diferencias");
    book.Text(0, 0, "Dimensión", true);
    book.Text(0, 1, "Ensayos", true);
    for (int t = 0; t < engine::kTNormCount; ++t) {
        const int first = 2 + 7 * t;
        book.Merged(0, first, first + 6, std::string(kTNormNames[static_cast<std::size_t>(t)]) + ": d1 CT − d1 Tr");
        const char* parts[] = {"media", "desviación típica", "IC 95 % inferior", "IC 95 % superior",
                               "% mayor CT", "Wilson 95 % inferior", "Wilson 95 % superior"};
        for (int p = 0; p < 7; ++p) book.Text(1, first + p, parts[p], true);
    }
    int row = kFirstDataRow;
    for (int n : summary.Dimensions()) {
        const DimensionSummary& s = summary.At(n);
        book.Number(row, 0, n);
        book.Number(row, 1, static_cast<double>(s.trials));
        for (int t = 0; t < engine::kTNormCount; ++t) {
            const int first = 2 + 7 * t;
            MeanColumns(book, row, first, s.difference[static_cast<std::size_t>(t)]);
            const toolkit::Interval wilson = toolkit::WilsonInterval95(s.closureFarther[t], s.trials);
            book.Number(row, first + 4, 100.0 * static_cast<double>(s.closureFarther[t]) / static_cast<double>(s.trials));
            book.Number(row, first + 5, 100.0 * wilson.low);
            book.Number(row, first + 6, 100.0 * wilson.high);
        }
        MarkIncomplete(book, row, 2 + 7 * engine::kTNormCount, s, sampleSize);
        ++row;
    }
}

void WriteChart(Book& book, const TrialSummary& summary) {
    lxw_worksheet* sheet = book.Sheet("Gráfica");
    lxw_chart* chart = workbook_add_chart(book.Get(), LXW_CHART_SCATTER_STRAIGHT_WITH_MARKERS);
    if (!chart) book.Fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
    const std::vector<int> dimensions = summary.Dimensions();
    const auto rows = static_cast<lxw_row_t>(dimensions.size());
    if (rows > 0) {
        const lxw_row_t first = kFirstDataRow, last = first + rows - 1;
        // A colour per t-norm (Okabe and Ito's, told apart with any colour vision); the closure
        // solid with a filled marker, the transitivized matrix dashed with another marker, so
        // that curves lying on one another still read apart, in grey too. The bounds of each
        // mean's interval as thin, faint dots of its colour, left out of the legend. (The
        // library draws error bars of fixed kinds only, not the intervals themselves.)
        const lxw_color_t colours[] = {0x0072B2, 0xD55E00, 0x009E73};
        const uint8_t markers[] = {LXW_CHART_MARKER_SQUARE, LXW_CHART_MARKER_CIRCLE,  LXW_CHART_MARKER_DIAMOND,
                                   LXW_CHART_MARKER_X,      LXW_CHART_MARKER_TRIANGLE, LXW_CHART_MARKER_PLUS};
        std::vector<int16_t> bounds;
        int16_t index = 0;
        for (int c = 0; c < 6; ++c) {
            const auto column = static_cast<lxw_col_t>(2 + 4 * c);
            const bool closure = c % 2 == 0;
            const lxw_color_t colour = colours[c / 2];
            lxw_chart_series* mean = chart_add_series(chart, nullptr, nullptr);
            if (!mean) book.Fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
            chart_series_set_categories(mean, kDispersion, first, 0, last, 0);
            chart_series_set_values(mean, kDispersion, first, column, last, column);
            chart_series_set_name(mean, kDistanceNames[static_cast<std::size_t>(c)]);
            lxw_chart_line line{colour, 0, 2.0f,
                                static_cast<uint8_t>(closure ? LXW_CHART_LINE_DASH_SOLID : LXW_CHART_LINE_DASH_DASH), 0};
            chart_series_set_line(mean, &line);
            chart_series_set_marker_type(mean, markers[c]);
            chart_series_set_marker_size(mean, 7);
            lxw_chart_line markerLine{colour, 0, 1.0f, LXW_CHART_LINE_DASH_SOLID, 0};
            lxw_chart_fill markerFill{closure ? colour : 0xFFFFFF, 0, 0};
            chart_series_set_marker_line(mean, &markerLine);
            chart_series_set_marker_fill(mean, &markerFill);
            ++index;
            for (lxw_col_t bound = column + 2; bound <= column + 3; ++bound) {
                lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
                if (!series) book.Fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
                chart_series_set_categories(series, kDispersion, first, 0, last, 0);
                chart_series_set_values(series, kDispersion, first, bound, last, bound);
                lxw_chart_line thin{colour, 0, 0.75f, LXW_CHART_LINE_DASH_ROUND_DOT, 55};
                chart_series_set_line(series, &thin);
                chart_series_set_marker_type(series, LXW_CHART_MARKER_NONE);
                bounds.push_back(index++);
            }
        }
        bounds.push_back(-1);
        book.Check(chart_legend_delete_series(chart, bounds.data()));
        // The axis ends where the data do, not at the next round number.
        chart_axis_set_min(chart->x_axis, dimensions.front());
        chart_axis_set_max(chart->x_axis, dimensions.back());
    }
    chart_title_set_name(chart, "d1 media frente a la dimensión (puntos tenues: IC 95 %)");
    chart_axis_set_name(chart->x_axis, "Dimensión");
    chart_axis_set_name(chart->y_axis, "d1 media");
    chart_legend_set_position(chart, LXW_CHART_LEGEND_BOTTOM);
    lxw_chart_options placement{};
    placement.x_scale = 2.5;
    placement.y_scale = 2.5;
    book.Check(worksheet_insert_chart_opt(sheet, 1, 1, chart, &placement));
    // On one printed page, across it.
    worksheet_set_landscape(sheet);
    worksheet_fit_to_pages(sheet, 1, 1);
}

void WriteFacts(Book& book, const RunFacts& facts) {
    book.Sheet("Ejecución");
    int row = 0;
    for (const auto& [label, value] : facts) {
        book.Text(row, 0, label, true);
        // A value that is a number goes in as a number.
        double number = 0;
        if (value.find_first_not_of("0123456789.-") == std::string::npos && toolkit::ParseDouble(value, number))
            book.Number(row, 1, number);
        else
            book.Text(row, 1, value, false, true);
        ++row;
    }
}

// Builds the whole workbook into `file`, the library's scratch files beside it.
void BuildWorkbook(const fs::path& file, const std::string& name, const TrialSummary& summary, bool integerMeans,
                   int largestDimension, const RunFacts& facts, long long sampleSize) {
    const CNumbers numbers;
    Book book(file, file.parent_path().empty() ? fs::path(".") : file.parent_path(), name);
    WriteTable(book, summary, integerMeans, largestDimension, sampleSize);
    WriteDispersion(book, summary, sampleSize);
    WriteDifferences(book, summary, sampleSize);
    WriteChart(book, summary);
    if (!summary.TNormRows().empty()) workbook_detail::WriteTNorms(book, summary, sampleSize);
    if (!summary.MethodRows().empty()) workbook_detail::WriteMethods(book, summary, sampleSize);
    WriteFacts(book, facts);
    book.Close();
}

}  // namespace

double TableMean(float sum, long long trials, bool integerMeans) {
    const int sampleSize = static_cast<int>(std::min<long long>(trials, INT_MAX));
    const std::string text = integerMeans ? formats::FormatIntegerMean(sum, sampleSize)
                                          : formats::FormatFloat(formats::FloatMean(sum, sampleSize));
    double value = 0;
    toolkit::ParseDouble(text, value);
    return value;
}

void WriteWorkbook(const fs::path& path, const TrialSummary& summary, bool integerMeans, int largestDimension,
                   const RunFacts& facts, long long sampleSize) {
    const std::string name = toolkit::ShortPath(path.string());
    toolkit::SaveFileAtomically(path, [&](const fs::path& temporary, int) {
        BuildWorkbook(temporary, name, summary, integerMeans, largestDimension, facts, sampleSize);
    });
}

void WriteWorkbook(toolkit::ReservedFile& file, const std::string& name, const TrialSummary& summary,
                   bool integerMeans, int largestDimension, const RunFacts& facts, long long sampleSize) {
    file.Save([&](const fs::path& temporary, int) {
        BuildWorkbook(temporary, name, summary, integerMeans, largestDimension, facts, sampleSize);
    });
}

}  // namespace formats
