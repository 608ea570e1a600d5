// The menu bar (the "Archivo", "Opciones" and "Ver" menus), the grids' ways into the viewers,
// and the keyboard: a key for every command and Tab from control to control.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <iterator>
#include <tuple>
#include <utility>

#include "ui/form1.h"
#include "ui/matrix_viewer.h"
#include "ui/string_grid.h"

void TForm1::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* archivo = bar->addMenu(QStringLiteral("&Archivo"));
    archivo->setObjectName(QStringLiteral("Archivo1"));
    using Item = std::tuple<const char*, QString, void (TForm1::*)(QObject*)>;
    const Item fileItems[] = {
        {"Cargarmatriz1", QStringLiteral("&Cargar matriz"), &TForm1::Cargarmatriz1Click},
        {"SalvarMatriz1", QStringLiteral("&Salvar Matriz"), &TForm1::SalvarMatriz1Click},
        {"SalvarCierreTransitivo1", QStringLiteral("Salvar Cierre &Min-Transitivo"), &TForm1::SalvarCierreTransitivo1Click},
        {"SalvarCietteProdTransitivo1", QStringLiteral("Salvar Cierre &Prod-Transitivo"),
         &TForm1::SalvarCietteProdTransitivo1Click},
        {"SalvarCierreWTransitivo1", QStringLiteral("Salvar Cierre &W-Transitivo"), &TForm1::SalvarCierreWTransitivo1Click},
        {"SalvarMatrizMinTransitivizada1", QStringLiteral("Salvar Matriz M&in-Transitivizada"),
         &TForm1::SalvarMatrizMinTransitivizada1Click},
        {"SalvarMatrizProdTransitivizada1", QStringLiteral("Salvar Matriz Pr&od-Transitivizada"),
         &TForm1::SalvarMatrizProdTransitivizada1Click},
        {"SalvarMatrizWTransitivizada1", QStringLiteral("Salvar Matriz W-T&ransitivizada"),
         &TForm1::SalvarMatrizWTransitivizada1Click},
        {"SalvarTodo1", QStringLiteral("Salvar &Todo"), &TForm1::SalvarTodo1Click},
    };
    const Item optionItems[] = {
        {"GenerarMatriz1", QStringLiteral("&Generar Matriz"), &TForm1::GenerarMatriz1Click},
        {"CambiarDimensin1", QStringLiteral("Cambiar &Dimensión"), &TForm1::CambiarDimensin1Click},
        {"CambiarReflexividad1", QStringLiteral("Cambiar &Reflexividad"), &TForm1::CambiarReflexividad1Click},
    };
    const auto addItems = [this](QMenu* menu, const auto& items) {
        for (const auto& [name, caption, handler] : items) {
            QAction* action = menu->addAction(caption);
            action->setObjectName(QString::fromLatin1(name));
            connect(action, &QAction::triggered, this, [this, action, handler = handler] { Guarded(handler, action); });
        }
    };
    addItems(archivo, fileItems);
    QMenu* opciones = bar->addMenu(QStringLiteral("&Opciones"));
    opciones->setObjectName(QStringLiteral("B1"));
    addItems(opciones, optionItems);
    // The buttons' commands that have no item of their own in the design.
    const Item buttonItems[] = {
        {"CambiarSimetria1", QStringLiteral("Cambiar &Simetría"), &TForm1::Button4Click},
        {"Permuta1", QStringLiteral("&Permuta"), &TForm1::Button8Click},
        {"CincuentaVeces1", QStringLiteral("&50 veces"), &TForm1::Button5Click},
        {"Estadisticas1", QStringLiteral("&Estadísticas…"), &TForm1::Button6Click},
        {"Inicia1", QStringLiteral("&Inicia"), &TForm1::Button7Click},
    };
    opciones->addSeparator();
    addItems(opciones, buttonItems);
}

// The windows that show the experiment beside this one.
void TForm1::BuildViewMenu() {
    QMenu* ver = menuBar()->findChild<QMenu*>(QStringLiteral("Ver1"));
    if (!ver) {
        ver = menuBar()->addMenu(QStringLiteral("&Ver"));
        ver->setObjectName(QStringLiteral("Ver1"));
    }
    QAction* graficas = ver->addAction(QStringLiteral("&Gráficas"));
    graficas->setObjectName(QStringLiteral("Graficas1"));
    connect(graficas, &QAction::triggered, this, [this, graficas] { Guarded(&TForm1::Graficas1Click, graficas); });
    QAction* others = ver->addAction(QStringLiteral("Ot&ras t-normas…"));
    others->setObjectName(QStringLiteral("OtrasTNormas1"));
    connect(others, &QAction::triggered, this, [this, others] { Guarded(&TForm1::OtrasTNormas1Click, others); });
    QAction* methods = ver->addAction(QStringLiteral("&Comparar métodos"));
    methods->setObjectName(QStringLiteral("CompararMetodos1"));
    connect(methods, &QAction::triggered, this, [this, methods] { Guarded(&TForm1::CompararMetodos1Click, methods); });
}

void TForm1::BuildViewerItems() {
    QMenu* ver = menuBar()->findChild<QMenu*>(QStringLiteral("Ver1"));
    if (!ver) {
        ver = menuBar()->addMenu(QStringLiteral("&Ver"));
        ver->setObjectName(QStringLiteral("Ver1"));
    }
    if (!ver->isEmpty()) ver->addSeparator();
    const char* const captions[] = {"Matriz &inicial",         "Cierre &Min-transitivo",
                                    "Cierre &Prod-transitivo", "Cierre &W-transitivo",
                                    "Matriz Mi&n-transitivizada", "Matriz Pr&od-transitivizada",
                                    "Matriz W-&transitivizada",   "Or&den de visita Min",
                                    "Orden de visit&a Prod",      "Orden de vi&sita W"};
    for (int k = 1; k <= 10; ++k) {
        QAction* item = ver->addAction(QString::fromUtf8(captions[k - 1]));
        item->setObjectName(QStringLiteral("VerMatriz%1").arg(k));
        connect(item, &QAction::triggered, this, [this, k] { OpenViewer(k); });
        // A double click or Enter on a grid, or its context menu, opens the same viewer.
        connect(grids_[k], &QAbstractItemView::activated, this, [this, k] { OpenViewer(k); });
        auto* open = new QAction(QStringLiteral("Abrir en una ventana"), grids_[k]);
        open->setObjectName(QStringLiteral("AbrirEnUnaVentana"));
        connect(open, &QAction::triggered, this, [this, k] { OpenViewer(k); });
        grids_[k]->addAction(open);
    }
}

ui::MatrixViewer& TForm1::OpenViewer(int matrix) {
    matrix = std::clamp(matrix, 1, 10);
    QPointer<ui::MatrixViewer>& viewer = viewers_[static_cast<std::size_t>(matrix)];
    if (!viewer) {
        viewer = new ui::MatrixViewer(matrix, dialogs_, this);
        viewer->Show(shown_);
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return *viewer;
}

void TForm1::BuildKeyboard() {
    // Keys of the menu items, whose captions stay as designed; Alt and the underlined letter
    // reach every item as well.
    const std::pair<const char*, QKeySequence> keys[] = {
        {"Cargarmatriz1", QKeySequence(Qt::CTRL | Qt::Key_O)},   {"SalvarTodo1", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"GenerarMatriz1", QKeySequence(Qt::CTRL | Qt::Key_G)},  {"CambiarDimensin1", QKeySequence(Qt::CTRL | Qt::Key_D)},
        {"CambiarReflexividad1", QKeySequence(Qt::CTRL | Qt::Key_R)},
        {"CambiarSimetria1", QKeySequence(Qt::CTRL | Qt::Key_Y)}, {"Permuta1", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"CincuentaVeces1", QKeySequence(Qt::CTRL | Qt::Key_5)}, {"Estadisticas1", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"Inicia1", QKeySequence(Qt::CTRL | Qt::Key_I)},
    };
    for (const auto& [name, key] : keys) findChild<QAction*>(QString::fromLatin1(name))->setShortcut(key);
    // Tab reads the window as a person does, left to right and top to bottom, band by band:
    // the buttons on the left, the relation's grid, the buttons at the top right; the three
    // closures; the three transitivized matrices and, right of them, the three visit orders.
    QWidget* const order[] = {buttons_[1], buttons_[2], buttons_[3], buttons_[4], grids_[1], buttons_[6],
                             buttons_[5], buttons_[7], buttons_[8], grids_[2],   grids_[3],  grids_[4],
                             grids_[5],   grids_[6],   grids_[7],   grids_[8],   grids_[9],  grids_[10]};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    // The window opens with the focus where Tab starts, whatever the order the controls were
    // made in.
    order[0]->setFocus();
}
