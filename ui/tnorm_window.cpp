#include "ui/tnorm_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "toolkit/number_text.h"
#include "ui/figure_export.h"
#include "ui/heat_map.h"
#include "ui/matrix_viewer.h"

namespace ui {

namespace {

constexpr int kFamilies = 14;
constexpr int kSliderSteps = 1000;
// Values of the window's sweep; the family's passages through Min, Prod and W are added.
constexpr int kSweepSteps = 25;

engine::TNormFamily FamilyAt(int index) { return static_cast<engine::TNormFamily>(index); }

QString CommandName(engine::TNormFamily family) {
    return FamilyName(engine::AnyTNorm::Of(family, experiments::RangeOf(family).typical));
}

// "p ≥ 0 (1 = prod)": the family's line of the list the command line shows.
QString RangeText(engine::TNormFamily family) {
    const QString list = QString::fromStdString(engine::TNormFamiliesText());
    const QString start = QStringLiteral("  ") + CommandName(family) + QLatin1Char(':');
    for (const QString& line : list.split(QLatin1Char('\n')))
        if (line.startsWith(start)) return line.mid(line.indexOf(QStringLiteral(" con ")) + 5);
    return QStringLiteral("sin parámetro");
}

// A parameter in the program's separator.
QString Shown(const std::string& parameter) {
    return QString::fromStdString(parameter).replace(QLatin1Char('.'), QLatin1Char(toolkit::DecimalSeparator()));
}

// A heat map drawn whole into the widget; a double click opens it in a viewer.
class MapPanel : public QWidget {
public:
    MapPanel(const HeatMapModel& model, QWidget* parent) : QWidget(parent), model_(model) { setMinimumSize(260, 240); }
    std::function<void()> onOpen;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        PaintHeatMap(painter, rect(), model_);
    }
    void mouseDoubleClickEvent(QMouseEvent*) override {
        if (onOpen) onOpen();
    }

private:
    const HeatMapModel& model_;
};

// The sweep, or what it waits for.
class SweepPanel : public QWidget {
public:
    SweepPanel(const SweepChart& chart, QWidget* parent) : QWidget(parent), chart_(chart) { setMinimumSize(480, 220); }
    engine::TNormFamily family = engine::TNormFamily::Min;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (!chart_.points.empty()) return PaintSweep(painter, rect(), chart_, toolkit::DecimalSeparator());
        painter.fillRect(rect(), Qt::white);
        painter.drawText(rect(), Qt::AlignCenter,
                         experiments::RangeOf(family).hasParameter
                             ? QStringLiteral("Calculando el barrido de %1…").arg(chart_.family)
                             : QStringLiteral("Esta familia no tiene parámetro que recorrer"));
    }

private:
    const SweepChart& chart_;
};

// A viewer shows the chosen t-norm's matrix under its title, its paths and violations under it.
void ShowFamily(MatrixViewer& viewer, int matrix, const engine::AnyTNorm& t,
                std::shared_ptr<const experiments::Snapshot> snapshot) {
    viewer.model().SetTitle(FamilyTitle(matrix, t));
    viewer.setWindowTitle(FamilyTitle(matrix, t));
    viewer.SetTNorm(t);
    viewer.Show(std::move(snapshot));
}

}  // namespace

TNormWindow::TNormWindow(bool symmetrizing, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window),
      symmetrizing_(symmetrizing),
      dialogs_(dialogs),
      tnorm_(engine::AnyTNorm::Of(engine::TNormFamily::Frank, experiments::RangeOf(engine::TNormFamily::Frank).typical)),
      memory_(std::make_unique<engine::FamilyClosureMemory>()),
      analysis_(std::make_unique<engine::FamilyAnalysis>()) {
    setObjectName(QStringLiteral("OtrasTNormas"));
    setWindowTitle(QStringLiteral("Otras t-normas"));

    family_ = new QComboBox(this);
    family_->setObjectName(QStringLiteral("Familia"));
    for (int k = 0; k < kFamilies; ++k) family_->addItem(CommandName(FamilyAt(k)));
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("Deslizador"));
    slider_->setRange(0, kSliderSteps);
    slider_->setMinimumWidth(220);
    value_ = new QLineEdit(this);
    value_->setObjectName(QStringLiteral("Parametro"));
    value_->setMaximumWidth(110);
    range_ = new QLabel(this);
    range_->setObjectName(QStringLiteral("Rango"));
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("Aviso"));
    message_->setStyleSheet(QStringLiteral("color: #b00000"));
    message_->setWordWrap(true);

    closureModel_ = new HeatMapModel(kFamilyClosure, this);
    transitivizedModel_ = new HeatMapModel(kFamilyTransitivized, this);
    // Whole values do not fit the small cells; the viewers show them.
    closureModel_->SetDigits(CellDigits::Three);
    transitivizedModel_->SetDigits(CellDigits::Three);
    auto* closureMap = new MapPanel(*closureModel_, this);
    auto* transitivizedMap = new MapPanel(*transitivizedModel_, this);
    closureMap->onOpen = [this] { OpenViewer(kFamilyClosure); };
    transitivizedMap->onOpen = [this] { OpenViewer(kFamilyTransitivized); };
    closureMap_ = closureMap;
    transitivizedMap_ = transitivizedMap;
    closureMap_->setObjectName(QStringLiteral("MapaCierre"));
    transitivizedMap_->setObjectName(QStringLiteral("MapaTransitivizada"));
    closureMap_->setToolTip(QStringLiteral("Doble clic: abrir en un visor"));
    transitivizedMap_->setToolTip(closureMap_->toolTip());
    closureText_ = new QLabel(this);
    closureText_->setObjectName(QStringLiteral("TextoCierre"));
    transitivizedText_ = new QLabel(this);
    transitivizedText_->setObjectName(QStringLiteral("TextoTransitivizada"));
    for (QLabel* label : {closureText_, transitivizedText_}) label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    sweepView_ = new SweepPanel(chart_, this);
    sweepView_->setObjectName(QStringLiteral("Barrido"));
    export_ = new QPushButton(QStringLiteral("&Exportar…"), this);
    export_->setObjectName(QStringLiteral("Exportar"));

    auto* controls = new QHBoxLayout;
    auto* familyLabel = new QLabel(QStringLiteral("&Familia:"), this);
    familyLabel->setBuddy(family_);
    auto* valueLabel = new QLabel(QStringLiteral("&Parámetro:"), this);
    valueLabel->setBuddy(value_);
    controls->addWidget(familyLabel);
    controls->addWidget(family_);
    controls->addSpacing(12);
    controls->addWidget(valueLabel);
    controls->addWidget(slider_, 1);
    controls->addWidget(value_);
    controls->addWidget(range_);
    auto* maps = new QGridLayout;
    maps->addWidget(closureMap_, 0, 0);
    maps->addWidget(transitivizedMap_, 0, 1);
    maps->addWidget(closureText_, 1, 0);
    maps->addWidget(transitivizedText_, 1, 1);
    maps->setRowStretch(0, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(export_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(message_);
    layout->addLayout(maps, 3);
    layout->addWidget(sweepView_, 2);
    layout->addLayout(buttons);

    connect(family_, &QComboBox::activated, this, [this](int index) { SetFamily(FamilyAt(index)); });
    connect(slider_, &QSlider::valueChanged, this, [this](int position) {
        const QString text = ValueAt(position);
        if (text != value_->text()) SetParameterText(text);
    });
    connect(value_, &QLineEdit::editingFinished, this, [this] {
        if (value_->isModified()) SetParameterText(value_->text());
        value_->setModified(false);
    });
    connect(export_, &QPushButton::clicked, this, &TNormWindow::ExportFigure);
    Choose(tnorm_, true);
    resize(980, 860);
}

TNormWindow::~TNormWindow() {
    // Its last message is dropped with the window; it must not outlive what it reads.
    sweepThread_.request_stop();
    if (sweepThread_.joinable()) sweepThread_.join();
}

void TNormWindow::Present(std::shared_ptr<const experiments::Snapshot> snapshot) {
    snapshot_ = std::move(snapshot);
    stale_ = true;
    if (isVisible()) Update(true);
}

void TNormWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) Update(true);
}

int TNormWindow::Position(double value) const {
    const experiments::FamilyRange r = experiments::RangeOf(tnorm_.family());
    if (!r.hasParameter) return 0;
    const double f = r.logScale ? (value > 0 ? std::log(value / r.low) / std::log(r.high / r.low) : 0.0)
                                : (value - r.low) / (r.high - r.low);
    return static_cast<int>(std::lround(std::clamp(f, 0.0, 1.0) * kSliderSteps));
}

QString TNormWindow::ValueAt(int position) const {
    const experiments::FamilyRange r = experiments::RangeOf(tnorm_.family());
    const double f = static_cast<double>(position) / kSliderSteps;
    const double value = r.logScale ? r.low * std::pow(r.high / r.low, f) : r.low + (r.high - r.low) * f;
    // Three significant digits: the slider offers round values, the field takes any.
    return Shown(toolkit::FloatToStrF(value, 3, 1, '.'));
}

void TNormWindow::SetFamily(engine::TNormFamily family) {
    message_->clear();
    Choose(engine::AnyTNorm::Of(family, experiments::RangeOf(family).typical), true);
    Update(true);
}

bool TNormWindow::SetParameterText(const QString& text) {
    if (!experiments::RangeOf(tnorm_.family()).hasParameter) {
        message_->setText(QStringLiteral("La t-norma %1 no lleva parámetro").arg(QString::fromStdString(tnorm_.Name())));
        return false;
    }
    QString typed = text.trimmed();
    typed.replace(QLatin1Char(','), QLatin1Char('.'));
    try {
        const engine::AnyTNorm t = engine::AnyTNorm::Parse(CommandName(tnorm_.family()).toStdString() + ":" + typed.toStdString());
        message_->clear();
        Choose(t, false);
        Update(false);
        return true;
    } catch (const engine::TNormError& error) {
        // The first line: the list of every family that follows it is the command line's.
        const std::string what = error.what();
        message_->setText(QStringLiteral("No se cambia el parámetro: ") +
                          QString::fromStdString(what.substr(0, what.find('\n'))));
        value_->setText(Shown(experiments::ParameterOf(tnorm_)));
        return false;
    }
}

void TNormWindow::Choose(const engine::AnyTNorm& t, bool moveSlider) {
    tnorm_ = t;
    family_->setCurrentIndex(static_cast<int>(t.family()));
    const bool parameter = experiments::RangeOf(t.family()).hasParameter;
    slider_->setEnabled(parameter);
    value_->setEnabled(parameter);
    range_->setText(RangeText(t.family()));
    value_->setText(parameter ? Shown(experiments::ParameterOf(t)) : QString());
    if (parameter && (moveSlider || ValueAt(slider_->value()) != value_->text())) {
        const QSignalBlocker quiet(slider_);
        slider_->setValue(Position(t.parameter()));
    }
    chart_.marked = parameter ? std::optional<double>(t.parameter()) : std::nullopt;
}

void TNormWindow::Update(bool sweep) {
    if (!isVisible()) {
        stale_ = true;
        return;
    }
    if (sweep) stale_ = false;
    if (!snapshot_) return;
    const experiments::Snapshot& s = *snapshot_;
    *memory_ = engine::FamilyClosureMemory{};
    engine::AnalyzeRelation(tnorm_, s.dimension, s.relation, symmetrizing_, *memory_, *analysis_);
    shown_ = FamilySnapshot(s.dimension, s.trialCount, s.relation, *analysis_);
    closureModel_->SetTitle(FamilyTitle(kFamilyClosure, tnorm_));
    transitivizedModel_->SetTitle(analysis_->transitivizable ? FamilyTitle(kFamilyTransitivized, tnorm_)
                                                             : QStringLiteral("Sin transitivizada: %1 no es continua por la izquierda")
                                                                   .arg(QString::fromStdString(tnorm_.Name())));
    closureModel_->SetSnapshot(shown_);
    transitivizedModel_->SetSnapshot(analysis_->transitivizable ? shown_ : nullptr);
    closureText_->setText(QString::fromStdString(analysis_->closureText));
    transitivizedText_->setText(QString::fromStdString(analysis_->transitivizedText));
    for (const int matrix : {kFamilyClosure, kFamilyTransitivized})
        if (MatrixViewer* viewer = viewers_[matrix == kFamilyClosure ? 0 : 1]) ShowFamily(*viewer, matrix, tnorm_, shown_);
    if (sweep || chart_.family != CommandName(tnorm_.family()) || chart_.dimension != s.dimension) StartSweep();
    export_->setEnabled(!chart_.points.empty());
    closureMap_->update();
    transitivizedMap_->update();
    sweepView_->update();
}

void TNormWindow::StartSweep() {
    const engine::TNormFamily family = tnorm_.family();
    const int generation = ++sweepGeneration_;
    sweepThread_.request_stop();
    if (sweepThread_.joinable()) sweepThread_.join();
    chart_.family = CommandName(family);
    chart_.dimension = snapshot_->dimension;
    chart_.logScale = experiments::RangeOf(family).logScale;
    chart_.points.clear();
    static_cast<SweepPanel*>(sweepView_)->family = family;
    if (!experiments::RangeOf(family).hasParameter) return;
    sweepThread_ = std::jthread([this, generation, family, snapshot = snapshot_](std::stop_token stop) {
        std::vector<experiments::SweepPoint> points;
        for (const engine::AnyTNorm& t : experiments::FamilySweep(family, kSweepSteps)) {
            if (stop.stop_requested()) return;
            points.push_back(experiments::RunSweep({t}, snapshot->dimension, snapshot->relation, symmetrizing_).front());
        }
        QMetaObject::invokeMethod(this, [this, generation, points = std::move(points)]() mutable {
            if (generation != sweepGeneration_) return;
            chart_.points = std::move(points);
            export_->setEnabled(true);
            sweepView_->update();
        }, Qt::QueuedConnection);
    });
}

void TNormWindow::OpenViewer(int matrix) {
    if (!shown_ || (matrix == kFamilyTransitivized && !analysis_->transitivizable)) return;
    QPointer<MatrixViewer>& viewer = viewers_[matrix == kFamilyClosure ? 0 : 1];
    if (!viewer) viewer = new MatrixViewer(matrix, dialogs_, this);
    ShowFamily(*viewer, matrix, tnorm_, shown_);
    viewer->show();
    viewer->raise();
}

void TNormWindow::ExportFigure() {
    if (chart_.points.empty()) return;
    const std::optional<QString> name = dialogs_.SaveFileName(
        {QStringLiteral("imagen PNG|*.png|imagen SVG|*.svg|documento PDF|*.pdf"), QStringLiteral("png"), true,
         QStringLiteral("barrido_%1.png").arg(chart_.family)});
    if (!name) return;
    try {
        SaveFigure(*name, kSweepFigureSize, [this](QPainter& painter, const QRect& area) {
            PaintSweep(painter, area, chart_, toolkit::DecimalSeparator());
        });
    } catch (const std::exception& e) {
        dialogs_.ShowException(QString::fromUtf8(e.what()));
    }
}

}  // namespace ui
