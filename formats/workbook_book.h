#pragma once

// The workbook as it is being filled, shared by the files that write its sheets.

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <utility>

#include "toolkit/file_io.h"
#include "toolkit/numerics.h"
#include "formats/trial_summary.h"

namespace formats::workbook_detail {

namespace fs = std::filesystem;

inline std::string Reason(lxw_error error) {
    switch (error) {
        case LXW_ERROR_MEMORY_MALLOC_FAILED: return "no queda memoria";
        case LXW_ERROR_CREATING_XLSX_FILE: return "no se ha podido crear el libro temporal";
        case LXW_ERROR_CREATING_TMPFILE: return "no se ha podido crear un fichero temporal";
        case LXW_ERROR_READING_TMPFILE: return "no se ha podido leer un fichero temporal";
        case LXW_ERROR_ZIP_FILE_OPERATION:
        case LXW_ERROR_ZIP_FILE_ADD:
        case LXW_ERROR_ZIP_CLOSE: return "no se ha podido comprimir el libro (¿disco lleno?)";
        default: return "error de la biblioteca de libros de cálculo (" + std::string(lxw_strerror(error)) + ")";
    }
}

// What a cell can hold of a text: valid UTF-8 (a file name in another encoding shows U+FFFD
// where its bytes are not UTF-8) and at most the format's 32,767 characters, a longer text
// cut with a note of how much is left out.
inline std::string CellText(const std::string& text) {
    constexpr std::size_t kMost = 32767;
    std::string valid = toolkit::ValidUtf8(text);
    const std::string kept = toolkit::FirstCharacters(valid, kMost);
    if (kept.size() == valid.size()) return valid;
    std::size_t total = 0;
    for (const char c : valid) total += (static_cast<unsigned char>(c) & 0xC0u) != 0x80u;
    const std::string note = " … (texto acortado: faltan " + std::to_string(total - (kMost - 80)) + " caracteres)";
    return toolkit::FirstCharacters(valid, kMost - 80) + note;
}

// The C library's number formatting in the C locale on this thread while it lives: the
// workbook library prints every number with it, and a cell must read "0.5", never "0,5".
class CNumbers {
public:
    CNumbers() : c_(::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))) {
        if (c_) previous_ = ::uselocale(c_);
    }
    ~CNumbers() {
        if (!c_) return;
        ::uselocale(previous_);
        ::freelocale(c_);
    }
    CNumbers(const CNumbers&) = delete;
    CNumbers& operator=(const CNumbers&) = delete;

private:
    locale_t c_;
    locale_t previous_ = LC_GLOBAL_LOCALE;
};

// The workbook being filled; every call's error becomes the file's FileError.
class Book {
public:
    Book(const fs::path& file, const fs::path& scratch, std::string name) : name_(std::move(name)) {
        std::string folder = scratch.string();
        lxw_workbook_options options{};
        options.tmpdir = folder.data();
        book_ = workbook_new_opt(file.c_str(), &options);
        if (!book_) Fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
        bold_ = workbook_add_format(book_);
        percent_ = workbook_add_format(book_);
        if (!bold_ || !percent_) Fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
        format_set_bold(bold_);
        format_set_num_format(percent_, "0\"%\"");
    }
    ~Book() {
        if (book_) workbook_close(book_);  // after a failure: frees what is left
    }
    void Close() {
        FitColumns();
        lxw_workbook* book = std::exchange(book_, nullptr);
        Check(workbook_close(book));
    }
    [[noreturn]] void Fail(lxw_error error) const {
        throw toolkit::FileError("No se ha podido escribir el libro «" + name_ + "»: " + Reason(error));
    }
    void Check(lxw_error error) const {
        if (error != LXW_NO_ERROR) Fail(error);
    }
    lxw_worksheet* Sheet(const char* sheetName) {
        FitColumns();
        lxw_worksheet* sheet = workbook_add_worksheet(book_, sheetName);
        if (!sheet) Fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
        sheet_ = sheet;
        return sheet;
    }
    /// The columns of the sheet being filled made as wide as their headings (bold texts) and
    /// labels, so that none is cut by its neighbour; numbers keep the default width at least.
    void FitColumns() {
        if (!sheet_) return;
        for (const auto& [column, characters] : widths_)
            Check(worksheet_set_column(sheet_, static_cast<lxw_col_t>(column), static_cast<lxw_col_t>(column),
                                       std::clamp(characters + 2.0, 10.0, 60.0), nullptr));
        widths_.clear();
    }
    /// Counts `text` in the width of its column.
    void Widen(int column, const std::string& text) {
        std::size_t characters = 0;
        for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0u) != 0x80u;
        int& width = widths_[column];
        width = std::max(width, static_cast<int>(std::min<std::size_t>(characters, 100)));
    }
    void Number(int row, int column, double value, lxw_format* format = nullptr) {
        Check(worksheet_write_number(sheet_, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column), value, format));
    }
    void Text(int row, int column, const std::string& text, bool bold = false, bool widens = false) {
        if (bold || widens) Widen(column, text);
        Check(worksheet_write_string(sheet_, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column),
                                     CellText(text).c_str(), bold ? bold_ : nullptr));
    }
    void Merged(int row, int first, int last, const std::string& text) {
        Check(worksheet_merge_range(sheet_, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(first),
                                    static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(last), CellText(text).c_str(),
                                    bold_));
    }
    lxw_workbook* Get() { return book_; }
    lxw_format* Percent() { return percent_; }

private:
    std::string name_;
    lxw_workbook* book_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format *bold_ = nullptr, *percent_ = nullptr;
    std::map<int, int> widths_;  // the widest heading of each column of the sheet, in characters
};

// Mean, standard deviation and the interval of the mean from column `column` on; the last
// three stay empty below two values.
inline void MeanColumns(Book& book, int row, int column, const toolkit::Welford& values) {
    book.Number(row, column, values.Mean());
    if (values.Count() < 2) return;
    const toolkit::Interval interval = toolkit::MeanInterval95(values);
    book.Number(row, column + 1, std::sqrt(values.Variance()));
    book.Number(row, column + 2, interval.low);
    book.Number(row, column + 3, interval.high);
}

// In the last column of a row of an unfinished dimension, what it lacks.
inline void MarkIncomplete(Book& book, int row, int column, const DimensionSummary& s, long long sampleSize) {
    if (sampleSize > 0 && s.trials < sampleSize)
        book.Text(row, column,
                  "incompleta: " + std::to_string(s.trials) + " de " + std::to_string(sampleSize) + " ensayos");
}

/// "T-normas": per dimension and t-norm of the extra columns, the mean distances of its
/// closure and transitivized matrix with their intervals, their paired difference and the
/// percentage of trials with the closure farther (Wilson's interval).
void WriteTNorms(Book& book, const TrialSummary& summary, long long sampleSize);
/// "Métodos": per dimension, t-norm and method, the mean d1 and Euclidean distance with their
/// intervals, and the paired difference of d1 to the technique's.
void WriteMethods(Book& book, const TrialSummary& summary, long long sampleSize);

}  // namespace formats::workbook_detail
