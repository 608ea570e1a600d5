#include "ui/form1.h"

#include <QAction>
#include <QFont>
#include <QFontDatabase>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <algorithm>
#include <exception>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>

#include "experiments/pie.h"
#include "experiments/uinftab.h"
#include "toolkit/number_text.h"
#include "ui/canvas.h"
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

// A typed number: StrToInt's conversion error for anything but an integer, a range error
// naming the accepted values for an integer outside them.
int AskedNumber(const QString& text, int lowest, int highest, const char* what) {
    const int value = toolkit::StrToInt(text.toStdString());
    if (value < lowest || value > highest) {
        std::string message = "'" + text.trimmed().toStdString() + "' no es " + what + " válido: ";
        if (highest == std::numeric_limits<int>::max())
            message += "debe ser " + std::to_string(lowest) + " o mayor";
        else
            message += "debe estar entre " + std::to_string(lowest) + " y " + std::to_string(highest);
        throw std::out_of_range(message);
    }
    return value;
}

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
      dialogs_(dialogs),
      engine_(std::make_unique<engine::Engine>(variant)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(WindowCaption(variant));
    BuildMenu();
    BuildControls();
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

void TForm1::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* archivo = bar->addMenu(QStringLiteral("Archivo"));
    archivo->setObjectName(QStringLiteral("Archivo1"));
    // The file items are shown and enabled but do nothing.
    const std::pair<const char*, QString> fileItems[] = {
        {"Cargarmatriz1", QStringLiteral("Cargar matriz")},
        {"SalvarMatriz1", QStringLiteral("Salvar Matriz")},
        {"SalvarCierreTransitivo1", QStringLiteral("Salvar Cierre Min-Transitivo")},
        {"SalvarCietteProdTransitivo1", QStringLiteral("Salvar Cierre Prod-Transitivo")},
        {"SalvarCierreWTransitivo1", QStringLiteral("Salvar Cierre W-Transitivo")},
        {"SalvarMatrizMinTransitivizada1", QStringLiteral("Salvar Matriz Min-Transitivizada")},
        {"SalvarMatrizProdTransitivizada1", QStringLiteral("Salvar Matriz Prod-Transitivizada")},
        {"SalvarMatrizWTransitivizada1", QStringLiteral("Salvar Matriz W-Transitivizada")},
        {"SalvarTodo1", QStringLiteral("Salvar Todo")},
    };
    for (const auto& [name, caption] : fileItems) {
        QAction* action = archivo->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
    }
    QMenu* opciones = bar->addMenu(QStringLiteral("Opciones"));
    opciones->setObjectName(QStringLiteral("B1"));
    const std::tuple<const char*, QString, void (TForm1::*)(QObject*)> optionItems[] = {
        {"GenerarMatriz1", QStringLiteral("Generar Matriz"), &TForm1::GenerarMatriz1Click},
        {"CambiarDimensin1", QStringLiteral("Cambiar Dimensión"), &TForm1::CambiarDimensin1Click},
        {"CambiarReflexividad1", QStringLiteral("Cambiar Reflexividad"), &TForm1::CambiarReflexividad1Click},
    };
    for (const auto& [name, caption, handler] : optionItems) {
        QAction* action = opciones->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, action, handler = handler] { Guarded(handler, action); });
    }
}

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
        {296, 8, 209, 145, 18, 1},  {24, 192, 209, 153, 18, 1}, {232, 192, 257, 153, 23, 2},
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
    // Tab order of the design: Button1, StringGrid1 … 7, Button2 … 4, StringGrid8 … 10, Button5 … 8.
    const QWidget* order[] = {buttons_[1], grids_[1], grids_[2], grids_[3], grids_[4], grids_[5], grids_[6],
                              grids_[7],   buttons_[2], buttons_[3], buttons_[4], grids_[8], grids_[9], grids_[10],
                              buttons_[5], buttons_[6], buttons_[7], buttons_[8]};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
}

void TForm1::Guarded(void (TForm1::*handler)(QObject*), QObject* sender) {
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

void TForm1::ShowResultTexts() {
    for (int k = 0; k < engine::kResultTextCount; ++k)
        SetCaption(labels_[2 + k], QString::fromStdString(engine_->resultText[k]));
}

// --- Start-up and shut-down ---

void TForm1::FormCreate(QObject* sender) {
    engine::Engine& e = *engine_;
    e.dimension = 10;
    if (variant_.symmetricAtStart) e.symmetric = true;
    if (variant_.commaSeparator) {
        toolkit::SetDecimalSeparator(',');
    } else {
        // The separator of the user's regional settings, when it is one plain character.
        const QString point = QLocale::system().decimalPoint();
        const bool plain = point.size() == 1 && point.at(0).unicode() > 32 && point.at(0).unicode() < 127;
        toolkit::SetDecimalSeparator(plain ? static_cast<char>(point.at(0).unicode()) : '.');
    }
    for (auto& series : e.pointSeries) uinftab::PointListCreate(series);
    // File dialogs without a folder of their own open in the current directory (QtDialogs).
    seriesColor = {QColor(255, 0, 0), QColor(255, 255, 0), QColor(0, 128, 0),
                   QColor(0, 0, 255), QColor(128, 0, 0),   QColor(128, 0, 128)};
    Button1Click(sender);
}

void TForm1::FormDestroy(QObject*) {
    for (auto& series : engine_->pointSeries) uinftab::PointListDestroy(series);
    destroyed_ = true;
}

// --- Commands ---

void TForm1::Button1Click(QObject*) {
    engine_->RunTrial();
    ShowResultTexts();
    RefreshGrids();
}

void TForm1::GenerarMatriz1Click(QObject* sender) { Button1Click(sender); }

void TForm1::Button2Click(QObject* sender) {
    QString text;
    if (dialogs_.InputQuery(QStringLiteral("Cambiar dimensión"), QStringLiteral("Dame la nueva dimensión"), text))
        engine_->dimension = AskedNumber(text, 1, engine::MAX_DIM, "una dimensión");
    Button1Click(sender);
}

void TForm1::CambiarDimensin1Click(QObject* sender) { Button2Click(sender); }

void TForm1::Button3Click(QObject* sender) {
    engine_->reflexive = dialogs_.MessageDlgYes(QStringLiteral("¿Quieres que la matriz sea Reflexiva?"));
    Button1Click(sender);
}

void TForm1::CambiarReflexividad1Click(QObject* sender) { Button3Click(sender); }

void TForm1::Reflexiva1Click(QObject* sender) { Button3Click(sender); }

void TForm1::Button4Click(QObject* sender) {
    Label8Click(sender);
    Button1Click(sender);
}

void TForm1::Label8Click(QObject*) {
    engine_->symmetric = dialogs_.MessageDlgYes(QStringLiteral("¿Quieres que la matriz sea Simétrica?"));
}

bool TForm1::AskElement(const QString& prompt, int& index) {
    QString text;
    if (!dialogs_.InputQuery(QStringLiteral("Permutación"), prompt, text)) return false;
    // A number above n is allowed: the command then generates a new relation instead.
    index = AskedNumber(text, 1, std::numeric_limits<int>::max(), "un número de elemento") - 1;
    return true;
}

void TForm1::Button8Click(QObject* sender) {
    engine::Engine& e = *engine_;
    AskElement(QStringLiteral("Dame un número"), e.swapFirst);
    AskElement(QStringLiteral("Dame otro número"), e.swapSecond);
    e.swapPending = std::max(e.swapFirst, e.swapSecond) < e.dimension;
    Button1Click(sender);
}

void TForm1::Button5Click(QObject* sender) {
    for (int counter = 0; counter < 50; ++counter) Button1Click(sender);
}

void TForm1::Button7Click(QObject*) {
    engine::Engine& e = *engine_;
    e.trialCount = 0;
    e.ResetCounters();
    e.ClearRelation();
    e.AnalyzeRelation();
    ShowResultTexts();
    for (auto& series : e.pointSeries) uinftab::PointListDestroy(series);
    for (auto& series : e.pointSeries) uinftab::PointListCreate(series);
    RefreshGrids();
}

// --- Grids ---

void TForm1::RefreshGrids() {
    const engine::Engine& e = *engine_;
    const int n = e.dimension;
    engine::CheckDimension(n);
    // Each grid keeps a copy of its matrix and formats only the cells it paints; element (i, j)
    // goes to column i, row j, so each grid shows the transpose of the row-major reading.
    const engine::RelationMatrix* shown[] = {&e.relation,        &e.minClosure,       &e.prodClosure,
                                             &e.wClosure,        &e.minTransitivized, &e.prodTransitivized,
                                             &e.wTransitivized,  &e.minOrder,         &e.prodOrder,
                                             &e.wOrder};
    for (int k = 1; k <= 10; ++k)
        grids_[k]->SetMatrix(std::make_shared<const engine::RelationMatrix>(*shown[k - 1]), n);
    UpdatePaintState();
    Present();
}

void TForm1::Present() {
    // The grids repaint the cells that change on their own, and the plot never reaches under a
    // grid, so the client area is repainted around them: the grids' frames and scroll bars,
    // which stay as they are, are not painted again on every trial.
    QRegion around(client_->rect());
    for (int k = 1; k <= 10; ++k) around -= grids_[k]->geometry();
    client_->repaint(around);
}

// --- Plot and pies ---

void TForm1::UpdatePaintState() {
    const engine::Engine& e = *engine_;
    SetCaption(labels_[9], QStringLiteral("Dist1, Dim: ") + IntText(e.dimension) + QStringLiteral(" matrices:") +
                               IntText(e.trialCount));
    for (int t = 0; t < engine::kTNormCount; ++t) {
        const int p = experiments::ClosureGreaterPercent(e.closureGreaterCount[t], e.closureNotGreaterCount[t]);
        pies_[1 + t]->SetStartAngle(0);
        pies_[1 + t]->SetEndAngle(experiments::PieEndAngle(p));
        SetCaption(labels_[10 + t], IntText(p) + QStringLiteral("%"));
        closureGreaterPercent[t] = p;
    }
}

void TForm1::FormPaint(ui::Canvas& canvas) {
    UpdatePaintState();
    const engine::Engine& e = *engine_;

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
        canvas.TextOut(left + 8, top + 105, IntText(static_cast<long long>(bar.value)));
        canvas.SetBrushColor(seriesColor[bar.color]);
        const long double barTop = static_cast<long double>(top + 100) - 2.0L * static_cast<long double>(bar.value);
        canvas.Rectangle(left, static_cast<int>(barTop), left + 20, top + 100);
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
        uinftab::PointList* const& series = e.pointSeries[t];
        const std::int32_t count = uinftab::PointListCount(series);
        const std::int32_t first = count > 100 ? count - 100 : 0;
        canvas.SetPenColor(seriesColor[closure ? 3 : 5]);
        int x = x0;
        canvas.MoveTo(x, baseline);
        for (std::int32_t i = first; i < count; ++i) {
            uinftab::PlotPoint point;
            uinftab::PointListGet(series, i, point);
            const std::int32_t v = closure ? uinftab::PlotPointX(point) : uinftab::PlotPointY(point);
            canvas.LineTo(x, baseline - v);
            x += 3;
        }
    }
}
