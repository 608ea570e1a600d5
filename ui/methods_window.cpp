#include "ui/methods_window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>
#include <exception>
#include <string>

#include "toolkit/number_text.h"
#include "ui/matrix_viewer.h"
#include "ui/tnorm_figures.h"

namespace ui {

namespace {

using engine::Method;

// The methods that raise the relation: their matrices take a closure's place in a viewer.
bool Raises(Method method) { return method == Method::Cierre || method == Method::Simple; }

// As the result texts write their numbers.
QString F(double value) { return QString::fromStdString(toolkit::FloatToStrF(value, 5, 3)); }

QString MethodText(Method method) { return QString::fromLatin1(engine::MethodName(method)); }

}  // namespace

MethodsWindow::MethodsWindow(bool symmetrizing, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window),
      symmetrizing_(symmetrizing),
      dialogs_(dialogs),
      tnorm_(engine::AnyTNorm::Of(engine::Min)),
      mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->window = this;
    setObjectName(QStringLiteral("CompararMetodos"));
    setWindowTitle(QStringLiteral("Comparar métodos"));

    chooser_ = new QComboBox(this);
    chooser_->setObjectName(QStringLiteral("TNorma"));
    chooser_->setEditable(true);
    chooser_->setInsertPolicy(QComboBox::NoInsert);
    chooser_->addItems({QStringLiteral("min"), QStringLiteral("prod"), QStringLiteral("w")});
    chooser_->setMinimumContentsLength(16);
    chooser_->setToolTip(QStringLiteral("Min, Prod, W u otra t-norma escrita NOMBRE:PARÁMETRO (%1); Intro la aplica")
                             .arg(TNormText(engine::AnyTNorm::Parse("hamacher:0.5"))));
    auto* label = new QLabel(QStringLiteral("&T-norma:"), this);
    label->setBuddy(chooser_);
    auto* hint = new QLabel(QStringLiteral("o escriba otra como NOMBRE:PARÁMETRO, %1 (las de --tnorma)")
                                .arg(TNormText(engine::AnyTNorm::Parse("hamacher:0.5"))),
                            this);
    hint->setEnabled(false);
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("Aviso"));
    message_->setStyleSheet(QStringLiteral("color: #b00000"));
    message_->setWordWrap(true);

    table_ = new QTableWidget(engine::kMethodCount, kColumns, this);
    table_->setObjectName(QStringLiteral("TablaMetodos"));
    const char* const titles[kColumns] = {"Método", "d1", "Euclídea", "Dif. máx.", "En", "Cambiadas",
                                          "Transitiva", "Grado", "Maximal", "Tiempo (ms)"};
    const char* const tips[kColumns] = {
        nullptr,
        "Suma de las diferencias con la relación, en valor absoluto",
        "Distancia euclídea a la relación",
        "La mayor diferencia con la relación, en valor absoluto",
        "Dónde está la mayor diferencia: (fila, columna) como en las rejillas y los textos de resultados",
        "Entradas distintas de las de la relación",
        "Sí cuando ninguna terna (i, j, k) tiene T(X[i][k], X[k][j]) por encima de X[i][j] (más de dos pasos de float)",
        "Grado de transitividad: el mínimo de I_T(T(X[i][k], X[k][j]), X[i][j]); 1 si es transitiva",
        "Para una matriz por debajo de la relación: si ninguna entrada puede subir sin romper la transitividad "
        "ni pasar de la relación; si no, cuántas pueden y hasta cuánto la que más",
        "Lo que tarda el método, sin sus medidas"};
    for (int c = 0; c < kColumns; ++c) {
        auto* header = new QTableWidgetItem(QString::fromUtf8(titles[c]));
        if (tips[c]) header->setToolTip(QString::fromUtf8(tips[c]));
        table_->setHorizontalHeaderItem(c, header);
    }
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setWordWrap(false);
    // Each column as wide as its texts; the room left goes to "Maximal", whose texts vary most.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(kMaximal, QHeaderView::Stretch);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("Estado"));
    status_->setWordWrap(true);

    auto* controls = new QHBoxLayout;
    controls->addWidget(label);
    controls->addWidget(chooser_);
    controls->addWidget(hint, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(message_);
    layout->addWidget(table_, 1);
    layout->addWidget(status_);

    connect(chooser_, &QComboBox::activated, this, [this](int index) { SetTNormText(chooser_->itemText(index)); });
    connect(chooser_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (chooser_->currentText() != TNormText(tnorm_)) SetTNormText(chooser_->currentText());
    });
    connect(table_, &QAbstractItemView::activated, this, [this](const QModelIndex& index) { OpenViewer(index.row()); });
    for (int k = 0; k < engine::kMethodCount; ++k) ShowRow(k);
    resize(980, 330);
}

MethodsWindow::~MethodsWindow() {
    // A method in hand cannot be stopped: its thread ends it on its own and finds no window.
    {
        const std::lock_guard lock(mailbox_->mutex);
        mailbox_->window = nullptr;
    }
    worker_.request_stop();
    if (worker_.joinable()) worker_.detach();
}

void MethodsWindow::Present(std::shared_ptr<const experiments::Snapshot> snapshot) {
    snapshot_ = std::move(snapshot);
    Update();
}

void MethodsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) Update();
}

bool MethodsWindow::SetTNormText(const QString& text) {
    QString typed = text.trimmed();
    typed.replace(QLatin1Char(','), QLatin1Char('.'));
    try {
        const engine::AnyTNorm t = engine::AnyTNorm::Parse(typed.toStdString());
        message_->clear();
        chooser_->setEditText(TNormText(t));
        if (t == tnorm_) return true;
        tnorm_ = t;
        Update();
        return true;
    } catch (const engine::TNormError& error) {
        // The first line: the list of every family that follows it is the command line's.
        const std::string what = error.what();
        message_->setText(QStringLiteral("No se cambia la t-norma: ") + QString::fromStdString(what.substr(0, what.find('\n'))));
        chooser_->setEditText(TNormText(tnorm_));
        return false;
    }
}

void MethodsWindow::Update() {
    if (!isVisible()) {
        stale_ = true;
        return;
    }
    stale_ = false;
    ++generation_;
    rows_.clear();
    matrices_ = {};
    if (snapshot_ && snapshot_->dimension <= kLargestCompared) {
        if (running_) {
            worker_.request_stop();
            pending_ = true;
        } else {
            Start();
        }
    } else {
        for (QPointer<MatrixViewer>& viewer : viewers_)
            if (viewer) viewer->close();
    }
    for (int k = 0; k < engine::kMethodCount; ++k) ShowRow(k);
    ShowStatus();
}

void MethodsWindow::Start() {
    if (worker_.joinable()) worker_.join();  // it has ended: its last message has come
    running_ = true;
    pending_ = false;
    worker_ = std::jthread([mailbox = mailbox_, snapshot = snapshot_, t = tnorm_, symmetrizing = symmetrizing_,
                            generation = generation_](std::stop_token stop) {
        const auto post = [&mailbox](auto deliver) {
            const std::lock_guard lock(mailbox->mutex);
            if (MethodsWindow* window = mailbox->window)
                QMetaObject::invokeMethod(window, [window, deliver = std::move(deliver)]() mutable { deliver(*window); },
                                          Qt::QueuedConnection);
        };
        QString error;
        try {
            const int n = snapshot->dimension;
            auto scratch = std::make_unique<engine::MethodScratch>();
            for (const Method method : engine::kAllMethods) {
                if (stop.stop_requested()) break;
                auto matrix = std::make_shared<experiments::Snapshot>();
                matrix->dimension = n;
                matrix->trialCount = snapshot->trialCount;
                engine::MatrixCopy(n, snapshot->relation, matrix->relation);
                engine::RelationMatrix& out = Raises(method) ? matrix->results.minClosure : matrix->results.minTransitivized;
                experiments::MethodRow row = experiments::MeasureMethod(method, t, n, snapshot->relation, symmetrizing, *scratch, out);
                if (!row.refusal.empty()) matrix.reset();
                post([generation, row = std::move(row), matrix = std::move(matrix)](MethodsWindow& window) mutable {
                    window.Receive(generation, std::move(row), std::move(matrix));
                });
            }
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
        }
        post([generation, error](MethodsWindow& window) { window.Ended(generation, error); });
    });
}

void MethodsWindow::Finish() {
    while (running_) {
        if (worker_.joinable()) worker_.join();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

void MethodsWindow::Receive(int generation, experiments::MethodRow row, std::shared_ptr<const experiments::Snapshot> matrix) {
    if (generation != generation_) return;
    const int k = static_cast<int>(rows_.size());
    rows_.push_back(std::move(row));
    matrices_[static_cast<std::size_t>(k)] = std::move(matrix);
    ShowRow(k);
    if (k + 1 < engine::kMethodCount) ShowRow(k + 1);  // now in hand
    if (QPointer<MatrixViewer>& viewer = viewers_[static_cast<std::size_t>(k)]) {
        if (matrices_[static_cast<std::size_t>(k)]) OpenViewer(k);
        else viewer->close();
    }
    ShowStatus();
}

void MethodsWindow::Ended(int generation, const QString& error) {
    running_ = false;
    if (pending_) return Start();
    if (generation != generation_) return;
    if (!error.isEmpty()) message_->setText(QStringLiteral("No se ha podido comparar: ") + error);
    ShowStatus();
}

void MethodsWindow::ShowRow(int k) {
    const Method method = engine::kAllMethods[k];
    const auto cell = [&](int column, const QString& text, const QString& tip = {}) {
        auto* item = new QTableWidgetItem(text);
        // Numbers to the right, words centred.
        item->setTextAlignment(column == kMethod                              ? Qt::AlignLeft | Qt::AlignVCenter
                               : column == kTransitive || column == kMaximal ? Qt::AlignCenter
                                                                              : Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(tip);
        table_->setItem(k, column, item);
        return item;
    };
    if (table_->columnSpan(k, 1) > 1) table_->setSpan(k, 1, 1, 1);
    QTableWidgetItem* name = cell(kMethod, MethodText(method));
    // A row without figures: what it waits for, or why the method does not apply, greyed.
    const auto note = [&](const QString& text) {
        for (int c = 1; c < kColumns; ++c) delete table_->takeItem(k, c);
        QTableWidgetItem* item = cell(1, text, text);
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        table_->setSpan(k, 1, 1, kColumns - 1);
        for (QTableWidgetItem* grey : {name, item}) {
            grey->setFlags(Qt::NoItemFlags);
            grey->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
        }
    };
    if (k >= static_cast<int>(rows_.size())) {
        const bool waiting = snapshot_ && snapshot_->dimension <= kLargestCompared && running_;
        note(waiting && k == static_cast<int>(rows_.size()) ? QStringLiteral("Calculando…") : QString());
        return;
    }
    const experiments::MethodRow& row = rows_[static_cast<std::size_t>(k)];
    if (!row.refusal.empty()) return note(QStringLiteral("No se aplica: ") + QString::fromStdString(row.refusal));
    // Places as the result texts write them: (second index, first index), from 1.
    QString path;
    for (const int element : row.witness) path += (path.isEmpty() ? QString() : QStringLiteral(" → ")) + QString::number(element + 1);
    cell(kD1, F(row.d1));
    cell(kEuclidean, F(row.euclidean));
    cell(kLargest, F(row.largest));
    cell(kPlace, row.largest > 0 ? QStringLiteral("(%1, %2)").arg(row.lj + 1).arg(row.li + 1) : QStringLiteral("—"),
         path.isEmpty() ? QString() : QStringLiteral("La mayor subida la da el camino ") + path);
    cell(kChanged, QString::number(row.changed));
    cell(kTransitive, row.transitivity.violations == 0 ? QStringLiteral("sí") : QStringLiteral("no"),
         QStringLiteral("Ternas que violan la transitividad: %1").arg(row.transitivity.violations));
    cell(kDegree, F(row.transitivity.degree));
    if (!row.below) {
        cell(kMaximal, QStringLiteral("—"), QStringLiteral("No está por debajo de la relación"));
    } else if (row.rise.Maximal()) {
        cell(kMaximal, QStringLiteral("sí"), QStringLiteral("Ninguna entrada puede subir sin romper la transitividad"));
    } else {
        cell(kMaximal, QStringLiteral("no (%1 hasta %2)").arg(row.rise.risable).arg(F(row.rise.largest)),
             QStringLiteral("%1 entradas pueden subir aún; la que más, %2 en (%3, %4)")
                 .arg(row.rise.risable)
                 .arg(F(row.rise.largest))
                 .arg(row.rise.j + 1)
                 .arg(row.rise.i + 1));
    }
    cell(kTime, F(row.milliseconds));
    for (int c = 0; c < kColumns; ++c) table_->item(k, c)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
}

void MethodsWindow::ShowStatus() {
    if (!snapshot_) return status_->clear();
    const experiments::Snapshot& s = *snapshot_;
    if (s.dimension > kLargestCompared) {
        status_->setText(QStringLiteral("La comparación de métodos llega hasta %1 elementos; la relación tiene %2.")
                             .arg(kLargestCompared)
                             .arg(s.dimension));
        return;
    }
    QString text = QStringLiteral("Relación de %1 elementos, prueba %2 · t-norma %3 · ").arg(s.dimension).arg(s.trialCount).arg(TNormText(tnorm_));
    if (running_ && rows_.size() < static_cast<std::size_t>(engine::kMethodCount))
        text += QStringLiteral("calculando «%1»…").arg(MethodText(engine::kAllMethods[rows_.size()]));
    else
        text += QStringLiteral("doble clic o Intro en una fila: su matriz en un visor");
    status_->setText(text);
}

QString MethodsWindow::MethodTitle(Method method) const {
    return QStringLiteral("Método «%1» con la t-norma %2").arg(MethodText(method), TNormText(tnorm_));
}

MatrixViewer* MethodsWindow::OpenViewer(int k) {
    if (k < 0 || k >= engine::kMethodCount || !matrices_[static_cast<std::size_t>(k)]) return nullptr;
    const Method method = engine::kAllMethods[k];
    QPointer<MatrixViewer>& viewer = viewers_[static_cast<std::size_t>(k)];
    const bool opening = !viewer;
    if (opening) {
        viewer = new MatrixViewer(Raises(method) ? kFamilyClosure : kFamilyTransitivized, dialogs_, this);
        viewer->setObjectName(QStringLiteral("Visor_") + MethodText(method));
    }
    viewer->model().SetTitle(MethodTitle(method));
    viewer->setWindowTitle(MethodTitle(method));
    viewer->SetTNorm(tnorm_);
    viewer->Show(matrices_[static_cast<std::size_t>(k)]);
    if (opening || viewer->isHidden()) {
        viewer->show();
        viewer->raise();
        viewer->activateWindow();
    }
    return viewer;
}

}  // namespace ui
