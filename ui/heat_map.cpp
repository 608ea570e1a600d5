#include "ui/heat_map.h"

#include <QDir>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "toolkit/number_text.h"
#include "ui/figure_export.h"

namespace ui {

const std::array<QRgb, 256> kViridis = {
    0x470155, 0x470357, 0x470458, 0x470659, 0x47075b, 0x47085c, 0x470a5d, 0x470b5f,
    0x480d60, 0x480e61, 0x480f63, 0x481164, 0x481265, 0x481467, 0x481568, 0x481669,
    0x48186a, 0x48196c, 0x481a6d, 0x481c6e, 0x481d6f, 0x481f70, 0x482071, 0x482172,
    0x482374, 0x482475, 0x482576, 0x482777, 0x472878, 0x472979, 0x472a79, 0x472c7a,
    0x472d7b, 0x472e7c, 0x47307d, 0x46317e, 0x46327f, 0x46337f, 0x463580, 0x463681,
    0x453781, 0x453882, 0x453a83, 0x453b83, 0x443c84, 0x443d85, 0x443e85, 0x443f86,
    0x434186, 0x434287, 0x434387, 0x424488, 0x424588, 0x414688, 0x414889, 0x414989,
    0x404a8a, 0x404b8a, 0x3f4c8a, 0x3f4d8b, 0x3f4e8b, 0x3e4f8b, 0x3e508b, 0x3d518c,
    0x3d528c, 0x3c548c, 0x3c558c, 0x3b568c, 0x3b578d, 0x3a588d, 0x3a598d, 0x395a8d,
    0x395b8d, 0x385c8d, 0x385d8d, 0x375e8e, 0x365f8e, 0x36608e, 0x35618e, 0x35628e,
    0x34638e, 0x34648e, 0x33658e, 0x32668e, 0x32678e, 0x31688e, 0x31698e, 0x306a8e,
    0x306b8e, 0x2f6c8e, 0x2e6d8e, 0x2e6e8e, 0x2d6f8e, 0x2d708e, 0x2c718e, 0x2c728e,
    0x2b738e, 0x2b748e, 0x2a748e, 0x29758e, 0x29768e, 0x28778e, 0x28788e, 0x27798e,
    0x277a8e, 0x267b8e, 0x267c8d, 0x257d8d, 0x257e8d, 0x257f8d, 0x24808d, 0x24818d,
    0x23828d, 0x23838d, 0x22848d, 0x22858d, 0x22868d, 0x21868d, 0x21878c, 0x21888c,
    0x21898c, 0x208a8c, 0x208b8c, 0x208c8c, 0x208d8c, 0x1f8e8c, 0x1f8f8b, 0x1f908b,
    0x1f918b, 0x1f928b, 0x1f938b, 0x1f948b, 0x1f948a, 0x1f958a, 0x1f968a, 0x1f978a,
    0x1f9889, 0x1f9989, 0x1f9a89, 0x1f9b89, 0x209c88, 0x209d88, 0x209e88, 0x209f88,
    0x21a087, 0x21a187, 0x21a287, 0x22a286, 0x22a386, 0x23a485, 0x23a585, 0x24a685,
    0x25a784, 0x25a884, 0x26a983, 0x27aa83, 0x27ab82, 0x28ac82, 0x29ac81, 0x2aad80,
    0x2bae80, 0x2baf7f, 0x2cb07f, 0x2db17e, 0x2eb27d, 0x30b37d, 0x31b47c, 0x32b47b,
    0x33b57a, 0x34b67a, 0x35b779, 0x37b878, 0x38b977, 0x3aba76, 0x3bba75, 0x3cbb74,
    0x3ebc73, 0x3fbd72, 0x41be71, 0x43bf70, 0x44bf6f, 0x46c06e, 0x48c16d, 0x4ac26c,
    0x4bc36b, 0x4dc369, 0x4fc468, 0x51c567, 0x53c666, 0x55c664, 0x57c763, 0x59c862,
    0x5bc960, 0x5ec95f, 0x60ca5e, 0x62cb5c, 0x64cc5b, 0x67cc59, 0x69cd58, 0x6bce56,
    0x6ece55, 0x70cf53, 0x73d052, 0x75d050, 0x78d14e, 0x7ad24d, 0x7dd24b, 0x7fd34a,
    0x82d348, 0x84d446, 0x87d545, 0x8ad543, 0x8dd641, 0x8fd640, 0x92d73e, 0x95d73d,
    0x98d83b, 0x9ad939, 0x9dd938, 0xa0da36, 0xa3da34, 0xa6db33, 0xa8db31, 0xabdc30,
    0xaedc2e, 0xb1dc2d, 0xb4dd2b, 0xb7dd2a, 0xbade29, 0xbcde27, 0xbfdf26, 0xc2df25,
    0xc5df24, 0xc8e023, 0xcae021, 0xcde120, 0xd0e120, 0xd2e11f, 0xd5e21e, 0xd8e21d,
    0xdae21d, 0xdde31c, 0xe0e31c, 0xe2e31b, 0xe4e41b, 0xe7e41b, 0xe9e41b, 0xece51b,
    0xeee51b, 0xf0e51c, 0xf2e61c, 0xf4e61d, 0xf6e61e, 0xf8e71f, 0xfae720, 0xfce721,
};

namespace {

// Cividis at tenths of the scale less one (0, 1/9, …, 1), as Plotly publishes it; between
// them the scale is near enough to a straight line in RGB to interpolate.
constexpr QRgb kCividisStops[] = {0x00224e, 0x123570, 0x3b496c, 0x575d6d, 0x707173,
                                  0x8a8678, 0xa59c74, 0xc3b369, 0xe1cc55, 0xfee838};

QColor Cividis(double fraction) {
    constexpr int last = static_cast<int>(std::size(kCividisStops)) - 1;
    const double at = fraction * last;
    const int k = std::min(static_cast<int>(at), last - 1);
    const double t = at - k;
    const QColor a(kCividisStops[k]), b(kCividisStops[k + 1]);
    const auto mix = [t](int x, int y) { return static_cast<int>(std::lround(x + t * (y - x))); };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

}  // namespace

QColor HeatColor(double fraction, ColourScale scale) {
    if (std::isnan(fraction)) return QColor(128, 128, 128);
    const double clamped = std::clamp(fraction, 0.0, 1.0);
    switch (scale) {
    case ColourScale::Cividis: return Cividis(clamped);
    case ColourScale::Greys: {
        // Light grey to near black: the low end stays apart from the white of unchanged cells.
        const int level = static_cast<int>(std::lround(235 - 215 * clamped));
        return QColor(level, level, level);
    }
    case ColourScale::Viridis: break;
    }
    return QColor(kViridis[static_cast<std::size_t>(std::lround(clamped * 255.0))]);
}

QColor ContrastingText(const QColor& background) {
    // WCAG relative luminance; black text has the better contrast above about 0.18.
    const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const double y = 0.2126 * linear(background.redF()) + 0.7152 * linear(background.greenF()) +
                     0.0722 * linear(background.blueF());
    return (y + 0.05) / 0.05 >= 1.05 / (y + 0.05) ? QColor(Qt::black) : QColor(Qt::white);
}

QString MatrixTitle(int matrix) {
    static const char* const titles[kMatrixCount] = {
        "Matriz inicial",           "Cierre Min-transitivo",     "Cierre Prod-transitivo",
        "Cierre W-transitivo",      "Matriz Min-transitivizada", "Matriz Prod-transitivizada",
        "Matriz W-transitivizada",  "Orden de visita Min",       "Orden de visita Prod",
        "Orden de visita W"};
    return QString::fromUtf8(titles[std::clamp(matrix, 1, kMatrixCount) - 1]);
}

QString MatrixFileName(int matrix) {
    static const char* const names[kMatrixCount] = {
        "matriz", "cierre_min", "cierre_prod", "cierre_w", "transitivizada_min", "transitivizada_prod",
        "transitivizada_w", "orden_min", "orden_prod", "orden_w"};
    return QString::fromLatin1(names[std::clamp(matrix, 1, kMatrixCount) - 1]);
}

const engine::RelationMatrix& MatrixOf(const experiments::Snapshot& s, int matrix) {
    const engine::Analysis& r = s.results;
    const engine::RelationMatrix* all[kMatrixCount] = {&s.relation,        &r.minClosure,        &r.prodClosure,
                                                       &r.wClosure,        &r.minTransitivized,  &r.prodTransitivized,
                                                       &r.wTransitivized,  &r.minOrder,          &r.prodOrder,
                                                       &r.wOrder};
    return *all[std::clamp(matrix, 1, kMatrixCount) - 1];
}

HeatMapModel::HeatMapModel(int matrix, QObject* parent) : QAbstractTableModel(parent), matrix_(matrix) {}

QString HeatMapModel::Title() const { return title_.isEmpty() ? MatrixTitle(matrix_) : title_; }

int HeatMapModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : n_; }
int HeatMapModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : n_; }

Qt::ItemFlags HeatMapModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QVariant HeatMapModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= n_ || index.column() >= n_) return {};
    const int row = index.row(), col = index.column();
    switch (role) {
    case Qt::DisplayRole: return Text(row, col);
    case Qt::BackgroundRole: return QColor(Background(row, col));
    case Qt::ForegroundRole: return ContrastingText(QColor(Background(row, col)));
    case Qt::ToolTipRole: return ToolTip(row, col);
    default: return {};
    }
}

QVariant HeatMapModel::headerData(int section, Qt::Orientation, int role) const {
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole || section < 0 || section >= n_) return {};
    const int number = section + 1;
    if ((number == 1 && labelFirst_) || number % labelStep_ == 0) return QString::number(number);
    return QString();
}

void HeatMapModel::SetSnapshot(std::shared_ptr<const experiments::Snapshot> snapshot) {
    const int n = snapshot ? std::clamp(snapshot->dimension, 0, snapshot->relation.capacity()) : 0;
    if (n != n_) {
        beginResetModel();
        snapshot_ = std::move(snapshot);
        n_ = n;
        CountViolations();
        Recompute();
        endResetModel();
        return;
    }
    snapshot_ = std::move(snapshot);
    CountViolations();
    Recompute();
    if (n_ > 0) emit dataChanged(index(0, 0), index(n_ - 1, n_ - 1));
}

void HeatMapModel::SetDifference(bool on) {
    on = on && HasDifference(matrix_);
    if (on == difference_) return;
    difference_ = on;
    Recompute();
    if (n_ > 0) emit dataChanged(index(0, 0), index(n_ - 1, n_ - 1));
}

void HeatMapModel::SetDigits(CellDigits digits) {
    if (digits == digits_) return;
    digits_ = digits;
    if (n_ > 0) emit dataChanged(index(0, 0), index(n_ - 1, n_ - 1), {Qt::DisplayRole, Qt::ToolTipRole});
}

void HeatMapModel::SetLabelStep(int step, bool first) {
    step = std::max(step, 1);
    first = first || step == 1;
    if (step == labelStep_ && first == labelFirst_) return;
    labelStep_ = step;
    labelFirst_ = first;
    if (n_ > 0) {
        emit headerDataChanged(Qt::Horizontal, 0, n_ - 1);
        emit headerDataChanged(Qt::Vertical, 0, n_ - 1);
    }
}

void HeatMapModel::SetOrientation(Orientation orientation) {
    if (orientation == orientation_) return;
    orientation_ = orientation;
    Recompute();
    if (n_ > 0) emit dataChanged(index(0, 0), index(n_ - 1, n_ - 1));
}

QString HeatMapModel::OrientationText() const {
    return orientation_ == Orientation::File ? QStringLiteral("como en el fichero") : QStringLiteral("como en las rejillas");
}

float HeatMapModel::DifferenceAt(std::size_t i, std::size_t j) const {
    const float value = MatrixOf(*snapshot_, matrix_)[i][j], relation = snapshot_->relation[i][j];
    return matrix_ <= 4 ? value - relation : relation - value;
}

void HeatMapModel::Recompute() {
    const std::size_t cells = static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_);
    shown_.resize(cells);
    colour_.resize(cells);
    if (n_ == 0) {
        picture_ = QImage();
        return;
    }
    const engine::RelationMatrix& m = MatrixOf(*snapshot_, matrix_);
    double largest = 0;
    for (int row = 0; row < n_; ++row)
        for (int col = 0; col < n_; ++col) {
            const auto [i, j] = Element(row, col);
            const float v = difference_ ? DifferenceAt(i, j) : m[i][j];
            shown_[Cell(row, col)] = v;
            largest = std::max(largest, std::fabs(double(v)));
        }
    low_ = 0;
    high_ = difference_ ? largest : IsOrder(matrix_) ? double(n_) * n_ : 1.0;
    for (std::size_t k = 0; k < cells; ++k) colour_[k] = Colour(shown_[k], ColourScale::Viridis);
    darkInk_.resize(cells);
    for (std::size_t k = 0; k < cells; ++k) darkInk_[k] = ContrastingText(QColor(colour_[k])) == QColor(Qt::black);
    picture_ = QImage(n_, n_, QImage::Format_RGB32);
    for (int row = 0; row < n_; ++row)
        std::copy_n(colour_.begin() + static_cast<std::ptrdiff_t>(Cell(row, 0)), n_,
                    reinterpret_cast<QRgb*>(picture_.scanLine(row)));
}

QRgb HeatMapModel::Colour(float shown, ColourScale scale) const {
    if (difference_ && shown == 0.0f) return qRgb(255, 255, 255);
    return HeatColor(high_ > low_ ? (std::fabs(double(shown)) - low_) / (high_ - low_) : 0.0, scale).rgb();
}

QRgb HeatMapModel::Background(int row, int col, ColourScale scale) const { return Colour(Shown(row, col), scale); }

QString HeatMapModel::Number(double value, bool full) const {
    if (full || digits_ == CellDigits::Exact)
        return QString::fromStdString(toolkit::FloatToShortestStr(static_cast<float>(value)));
    if (digits_ == CellDigits::Three) return QString::fromStdString(toolkit::FloatToStrF(value, 3, 1));
    return QString::fromStdString(toolkit::ReadableNumber(value));
}

QString HeatMapModel::Text(int row, int col) const {
    if (!Marked(row, col)) return {};
    return Number(Shown(row, col), false);
}

QString HeatMapModel::FullText(int row, int col) const { return Number(Shown(row, col), true); }

QString HeatMapModel::ToolTip(int row, int col) const {
    const auto [i, j] = Element(row, col);
    const float value = MatrixOf(*snapshot_, matrix_)[i][j];
    QString tip = QStringLiteral("Fila %1, columna %2 (%3)\nValor: %4")
                      .arg(row + 1)
                      .arg(col + 1)
                      .arg(OrientationText(), Number(value, false));
    if (HasDifference(matrix_)) {
        tip += QStringLiteral("\nRelación: %1\nDiferencia (%2): %3")
                   .arg(Number(snapshot_->relation[i][j], false),
                        matrix_ <= 4 ? QStringLiteral("cierre − relación") : QStringLiteral("relación − transitivizada"),
                        Number(DifferenceAt(i, j), false));
    }
    return tip + MeasuresTip(i, j);
}

std::pair<int, int> HeatMapModel::LargestDifference() const {
    if (n_ == 0 || !HasDifference(matrix_)) return {0, 0};
    // As the result texts find it: differences rounded to 32 bits (so that two differences
    // that round alike tie), [i][j] scanned with i outer, the first strict maximum kept.
    float best = 0;
    std::size_t bestI = 0, bestJ = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(n_); ++i)
        for (std::size_t j = 0; j < static_cast<std::size_t>(n_); ++j)
            if (const float d = DifferenceAt(i, j); d > best) {
                best = d;
                bestI = i;
                bestJ = j;
            }
    // Element() is its own inverse: [i][j] is at row i, column j or at row j, column i.
    const auto [row, col] = Element(static_cast<int>(bestI), static_cast<int>(bestJ));
    return {static_cast<int>(row), static_cast<int>(col)};
}

QString HeatMapModel::LargestDifferenceText() const {
    if (n_ == 0 || !HasDifference(matrix_)) return {};
    const auto [row, col] = LargestDifference();
    const auto [i, j] = Element(row, col);
    return QStringLiteral("Diferencia máxima %1 en fila %2, columna %3 (%4)")
        .arg(Number(DifferenceAt(i, j), false))
        .arg(row + 1)
        .arg(col + 1)
        .arg(OrientationText());
}

}  // namespace ui
