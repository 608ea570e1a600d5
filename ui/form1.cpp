// The window itself: the controls at their designed places, start-up and shut-down, the error
// guard every command passes through, and the plot and pies painted on the client area.
#include "ui/form1.h"

#include <QFont>
#include <QFontDatabase>
#include <QLabel>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <exception>
#include <memory>

#include "experiments/pie.h"
#include "experiments/uinftab.h"
#include "toolkit/number_text.h"
#include "ui/canvas.h"
#include "ui/locale.h"
#include "ui/pie.h"
#include "ui/string_grid.h"

namespace {

constexpr int kClientWidth = 804;
constexpr int kClientHeight = 566;

// The designed font, "MS Sans Serif" at 11 pixels (8 points at 96 pixels per inch), or the
// nearest sans-serif face installed. Pixel-sized so the fixed layout holds at any DPI.
QFont WindowFont() {
    QFont font;
    const QStringList wanted{QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                             QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                             QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")};
    const QStringList installed = QFontDatabase::families();
    QStringList families;
    for (const QString& family : wanted)
        if (installed.contains(family, Qt::CaseInsensitive)) families << family;
    if (!families.isEmpty()) font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QString IntText(long long value) { return QString::fromStdString(toolkit::IntToStr(value)); }

}  // namespace

/// The client area: paints the plot over its background.
class TForm1::ClientArea : public QWidget {
public:
    ClientArea(TForm1& form, QWidget* parent) : QWidget(parent), form_(form) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(font());
        ui::PainterCanvas canvas(painter);
        form_.FormPaint(canvas);
    }

private:
    TForm1& form_;
};

TForm1::TForm1(const engine::Variant& variant, ui::Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent),
      variant_(variant),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(WindowCaption(variant));
    BuildMenu();
    BuildViewMenu();
    BuildControls();
    BuildViewerItems();
    BuildKeyboard();
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    if (variant.program == engine::Variant::Program::Zorvath) move(147, 76);
    else move(212, 83);
    FormCreate(this);
}

TForm1::~TForm1() {
    if (!destroyed_) FormDestroy(this);
}

QString TForm1::WindowCaption(const engine::Variant& variant) {
    return variant.program == engine::Variant::Program::Zorvath
               ? QStringLiteral("Comparación del cierre T-Transitivo con nuevas técnicas de T-transitivización con Simetrización")
               : QStringLiteral("Comparación del cierre T-Transitivo con nuevas técnicas de T-transitivización");
}

QString TForm1::Button6Caption(const engine::Variant& variant) {
    return variant.program == engine::Variant::Program::Zorvath ? QStringLiteral("excell") : QStringLiteral("excel");
}

QColor TForm1::formColor() const { return client_->palette().color(QPalette::Window); }

void TForm1::BuildControls() {
    client_ = new ClientArea(*this, this);
    client_->setObjectName(QStringLiteral("ClientArea"));
    client_->setFont(WindowFont());
    client_->setAutoFillBackground(true);
    setCentralWidget(client_);

    struct LabelSpec {
        int left, top, width, height;
        const char* caption;
    };
    const LabelSpec labelSpecs[] = {
        {208, 0, 83, 13, "Matriz Inicial:"}, {16, 152, 95, 13, "Cierre Min-transitivo "},
        {240, 152, 32, 13, "Label3"},        {496, 152, 32, 13, "Label4"},
        {24, 352, 32, 13, "Label5"},         {240, 352, 32, 13, "Label6"},
        {496, 352, 32, 13, "Label7"},        {152, 24, 78, 13, "Histograma dist1"},
        {504, 8, 58, 13, "Distancias1 "},    {704, 160, 38, 13, "Label10"},
        {712, 240, 38, 13, "Label11"},       {712, 296, 38, 13, "Label12"},
    };
    struct GridSpec {
        int left, top, width, height, colWidth, exponentDigits;
    };
    const GridSpec gridSpecs[] = {
        {296, 8, 209, 145, 18, 1},   {24, 192, 209, 153, 18, 1}, {232, 192, 257, 153, 23, 2},
        {488, 192, 209, 153, 18, 1}, {16, 400, 217, 153, 18, 1}, {240, 400, 257, 153, 23, 1},
        {496, 400, 201, 153, 18, 1}, {712, 392, 65, 41, 18, 1},  {712, 448, 65, 41, 18, 1},
        {712, 504, 65, 41, 18, 1},
    };
    struct ButtonSpec {
        int left, top, width, height;
        QString caption;
        void (TForm1::*handler)(QObject*);
    };
    const ButtonSpec buttonSpecs[] = {
        {24, 24, 105, 25, QStringLiteral("Genera Matriz"), &TForm1::Button1Click},
        {24, 56, 105, 25, QStringLiteral("Cambiar Dimensión"), &TForm1::Button2Click},
        {24, 88, 105, 25, QStringLiteral("¿Reflexiva?"), &TForm1::Button3Click},
        {24, 120, 105, 25, QStringLiteral("¿Simétrica?"), &TForm1::Button4Click},
        {736, 0, 57, 25, QStringLiteral("50 veces"), &TForm1::Button5Click},
        {656, 0, 65, 25, Button6Caption(variant_), &TForm1::Button6Click},
        {736, 40, 57, 25, QStringLiteral("Inicia"), &TForm1::Button7Click},
        {736, 72, 57, 33, QStringLiteral("Permuta"), &TForm1::Button8Click},
    };
    const int pieTops[] = {184, 248, 312};

    for (int k = 1; k <= 12; ++k) {
        const LabelSpec& spec = labelSpecs[k - 1];
        auto* label = new QLabel(QString::fromUtf8(spec.caption), client_);
        label->setObjectName(QStringLiteral("Label%1").arg(k));
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setGeometry(spec.left, spec.top, spec.width, spec.height);
        labels_[k] = label;
    }
    QFont boldItalic = client_->font();
    boldItalic.setBold(true);
    boldItalic.setItalic(true);
    labels_[1]->setFont(boldItalic);
    for (int k = 1; k <= 12; ++k) labels_[k]->adjustSize();

    for (int k = 1; k <= 3; ++k) {
        auto* pie = new ui::Pie(client_);
        pie->setObjectName(QStringLiteral("Pie%1").arg(k));
        pie->setGeometry(720, pieTops[k - 1], 57, 49);
        pie->SetAngles(180, 90);
        pies_[k] = pie;
    }
    for (int k = 1; k <= 10; ++k) {
        const GridSpec& spec = gridSpecs[k - 1];
        auto* grid = new ui::StringGrid(client_);
        grid->setObjectName(QStringLiteral("StringGrid%1").arg(k));
        grid->setGeometry(spec.left, spec.top, spec.width, spec.height);
        grid->SetDefaultColWidth(spec.colWidth);
        grid->SetExponentDigits(spec.exponentDigits);
        grids_[k] = grid;
    }
    for (int k = 1; k <= 8; ++k) {
        const ButtonSpec& spec = buttonSpecs[k - 1];
        auto* button = new QPushButton(spec.caption, client_);
        button->setObjectName(QStringLiteral("Button%1").arg(k));
        button->setGeometry(spec.left, spec.top, spec.width, spec.height);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, button, handler = spec.handler] { Guarded(handler, button); });
        buttons_[k] = button;
    }
}

void TForm1::Guarded(void (TForm1::*handler)(QObject*), QObject* sender) {
    if (busy_) return;
    try {
        (this->*handler)(sender);
    } catch (const std::exception& e) {
        dialogs_.ShowException(QString::fromUtf8(e.what()));
    }
}

void TForm1::SetCaption(QLabel* label, const QString& text) {
    if (label->text() == text) return;
    label->setText(text);
    label->adjustSize();  // labels size themselves to their caption
}

// --- Start-up and shut-down ---

void TForm1::FormCreate(QObject* sender) {
    // The experiment brings the relation, its settings and the three point series.
    experiment_ = std::make_unique<experiments::Experiment>(variant_);
    engine::Engine& e = engine();
    e.dimension = 10;
    if (variant_.symmetricAtStart) e.symmetric = true;
    toolkit::SetDecimalSeparator(ui::StartDecimalSeparator(variant_));
    // File dialogs without a folder of their own open in the current directory (QtDialogs).
    seriesColor = {QColor(255, 0, 0), QColor(255, 255, 0), QColor(0, 128, 0),
                   QColor(0, 0, 255), QColor(128, 0, 0),   QColor(128, 0, 128)};
    Button1Click(sender);
}

void TForm1::FormDestroy(QObject*) {
    experiment_.reset();
    destroyed_ = true;
}

// --- Plot and pies ---

void TForm1::UpdatePaintState() {
    const experiments::Snapshot& s = *shown_;
    SetCaption(labels_[9], QStringLiteral("Dist1, Dim: ") + IntText(s.dimension) + QStringLiteral(" matrices:") +
                               IntText(s.trialCount));
    for (int t = 0; t < engine::kTNormCount; ++t) {
        const int p = formats::ClosureGreaterPercent(s.closureGreaterCount[t], s.closureNotGreaterCount[t]);
        pies_[1 + t]->SetStartAngle(0);
        pies_[1 + t]->SetEndAngle(experiments::PieEndAngle(p));
        SetCaption(labels_[10 + t], IntText(p) + QStringLiteral("%"));
        closureGreaterPercent[t] = p;
    }
}

void TForm1::FormPaint(ui::Canvas& canvas) {
    UpdatePaintState();
    const engine::Analysis& e = shown_->results;

    // Bar chart of the last trial's d1 distances, two pixels per unit, below Label8.
    int left = labels_[8]->x();
    const int top = labels_[8]->y() + 5;
    canvas.SetPenColor(QColor(0, 0, 0));
    canvas.MoveTo(left, top + 100);
    canvas.LineTo(left + 100, top + 100);
    const QColor background = formColor();
    canvas.SetBrushColor(background);
    struct Bar {
        float value;
        int color;
        int advance;
    };
    const Bar bars[] = {
        {e.d1Closure[0], 1, 20}, {e.d1Transitivized[0], 2, 25}, {e.d1Closure[1], 3, 20},
        {e.d1Transitivized[1], 4, 25}, {e.d1Closure[2], 5, 20}, {e.d1Transitivized[2], 0, 25},
    };
    for (const Bar& bar : bars) {
        // A number wider than its place (a couple of pixels short of the next number) is
        // elided, not run into the next one, where the two would read as another number.
        canvas.TextOut(left + 8, top + 105, IntText(toolkit::TruncToInt(bar.value)), bar.advance - 2);
        canvas.SetBrushColor(seriesColor[bar.color]);
        const long double barTop = static_cast<long double>(top + 100) - 2.0L * static_cast<long double>(bar.value);
        canvas.Rectangle(left, toolkit::TruncToInt(static_cast<double>(barTop)), left + 20, top + 100);
        canvas.SetBrushColor(background);
        left += bar.advance;
    }

    // Curves of the last hundred trials below Label9, one pixel per unit, 3 pixels per trial.
    const int x0 = labels_[9]->x() + 10;
    const int y0 = labels_[9]->y() + 5;
    canvas.SetPenColor(QColor(0, 0, 0));
    canvas.MoveTo(x0, y0 + 100);
    canvas.LineTo(x0 + 300, y0 + 100);
    for (int curve = 0; curve < 6; ++curve) {
        const int t = curve / 2;
        const bool closure = curve % 2 == 0;
        const int baseline = y0 + 60 + 20 * t;
        canvas.SetPenColor(seriesColor[closure ? 3 : 5]);
        int x = x0;
        canvas.MoveTo(x, baseline);
        for (const uinftab::PlotPoint& point : shown_->recentPoints[t]) {
            const std::int32_t v = closure ? uinftab::PlotPointX(point) : uinftab::PlotPointY(point);
            canvas.LineTo(x, baseline - v);
            x += 3;
        }
    }
}
