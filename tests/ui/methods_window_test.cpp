// The methods' comparison as a person meets it: the rows of a hand-worked relation and the
// engine's own figures, refusals, a row opening its matrix, the closures' witness paths in the
// tool tips and "Violaciones" as drawn.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>

#include "engine/compare.h"
#include "engine/transitivity_measures.h"
#include "tests/ui/form_fixture.h"
#include "toolkit/number_text.h"
#include "ui/matrix_viewer.h"
#include "ui/methods_window.h"

namespace {

using engine::Method;
using Window = ui::MethodsWindow;

class MethodsWindowTest : public ui_test::FormTest {
protected:
    Window& Compare(const engine::RelationMatrix& relation, int n, const char* tnorm = "min") {
        form->experiment().LoadRelation(n, relation);
        form->RefreshGrids();
        Click("CompararMetodos1");
        Window& window = *Find<Window>("CompararMetodos");
        window.SetTNormText(QString::fromLatin1(tnorm));
        window.Finish();
        return window;
    }
    static QStringList Row(const Window& window, int row) {
        QStringList cells;
        for (int c = 1; c < Window::kColumns - 1; ++c) cells << (window.table().item(row, c) ? window.table().item(row, c)->text() : "");
        return cells;
    }
    static QString F(double value) { return QString::fromStdString(toolkit::FloatToStrF(value, 5, 3)); }
};

// Reflexive and symmetric; (1, 3) lies below the path through 2 under Min.
const engine::RelationMatrix kRelation{{1, .8f, .2f}, {.8f, 1, .6f}, {.2f, .6f, 1}};

TEST_F(MethodsWindowTest, RowsAreTheHandWorkedAndTheEnginesFiguresAndARowOpensItsMatrix) {
    for (const engine::Variant& variant : {engine::kZorvane, engine::kZorvath}) {
        Start(variant);
        Window& window = Compare(kRelation, 3);
        const QString c = QString(QChar::fromLatin1(toolkit::DecimalSeparator()));
        // Closure and single linkage raise (1, 3) to 0.6 both ways; complete linkage lowers
        // (2, 3) to 0.2; average linkage meets them at 0.4. Places as the result texts write them.
        const QString d1 = "0" + c + "8", eucl = "0" + c + "56569", four = "0" + c + "4";
        EXPECT_EQ(Row(window, 0), QStringList({d1, eucl, four, "(3, 1)", "2", "sí", "1", "—"}));
        EXPECT_EQ(Row(window, 5), Row(window, 0));
        EXPECT_EQ(Row(window, 3), QStringList({d1, eucl, four, "(3, 2)", "2", "sí", "1", "sí"}));
        // In floats .6 − .4 comes out a step above .4 − .2: the largest difference is at (2, 3).
        EXPECT_EQ(Row(window, 4), QStringList({d1, four, "0" + c + "2", "(3, 2)", "4", "sí", "1", "—"}));
        // The technique and its completion as the engine makes and measures them in this program.
        for (const Method method : {Method::Tecnica, Method::Completada}) {
            engine::RelationMatrix X{};
            auto scratch = std::make_unique<engine::MethodScratch>();
            engine::RunMethod(method, engine::AnyTNorm::Of(engine::Min), 3, kRelation, variant.symmetrizing, X, *scratch);
            const auto rise = engine::MeasureRise(engine::AnyTNorm::Of(engine::Min), 3, kRelation, X, variant.symmetrizing);
            const int row = method == Method::Tecnica ? 1 : 2;
            EXPECT_EQ(Row(window, row)[0], F(engine::CompareWithRelation(3, kRelation, X, engine::Direction::RelationMinusTransitivized).d1));
            EXPECT_EQ(Row(window, row)[7], rise.Maximal() ? "sí" : QString("no (%1 hasta %2)").arg(rise.risable).arg(F(rise.largest)));
        }
        // A double click on a row, or Enter on it, opens that method's matrix.
        QTableWidget& table = const_cast<QTableWidget&>(window.table());
        const QRect cell = table.visualRect(table.model()->index(3, 2));
        QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, cell.center());
        auto* viewer = window.findChild<ui::MatrixViewer*>("Visor_completa");
        ASSERT_NE(viewer, nullptr);
        for (int k = 0; k < 9; ++k)
            EXPECT_EQ(viewer->model().Shown(k / 3, k % 3), k == 5 || k == 7 || k == 2 || k == 6 ? .2f : kRelation[k / 3][k % 3]) << k;
        table.setCurrentCell(0, 0);
        QTest::keyClick(&table, Qt::Key_Return);
        ASSERT_NE(window.findChild<ui::MatrixViewer*>("Visor_cierre"), nullptr);
        EXPECT_EQ(window.findChild<ui::MatrixViewer*>("Visor_cierre")->model().Shown(0, 2), .6f);

        // Where they do not apply, the rows say why, greyed; a t-norm not understood changes nothing.
        EXPECT_FALSE(window.SetTNormText("frank:-1"));
        EXPECT_TRUE(window.findChild<QLabel*>("Aviso")->text().startsWith("No se cambia la t-norma")) << window.findChild<QLabel*>("Aviso")->text();
        EXPECT_EQ(window.tnorm().Name(), "min");
        EXPECT_TRUE(window.SetTNormText("hamacher:0,5"));
        window.Finish();
        EXPECT_EQ(window.tnorm().Name(), "hamacher:0.5");
        EXPECT_TRUE(window.table().item(3, 1)->text().contains("solo se aplica con la t-norma min")) << window.table().item(3, 1)->text();
        EXPECT_FALSE(window.table().item(3, 1)->flags() & Qt::ItemIsEnabled);
        const auto* closed = window.findChild<ui::MatrixViewer*>("Visor_completa");
        EXPECT_TRUE(closed == nullptr || !closed->isVisible());
    }
}

TEST_F(MethodsWindowTest, AClosureEntrysToolTipNamesAPathThatFoldsToIt) {
    Start(engine::kZorvane);
    E().dimension = 6;
    Click("Button1");
    const QRegularExpression path(QString::fromUtf8("Camino: ([0-9 →]+) \\(T = "));
    const auto check = [&](ui::MatrixViewer& viewer, const engine::AnyTNorm& t, const engine::RelationMatrix& closure) {
        const int n = E().dimension;
        for (int k = 0; k < n * n; ++k) {  // as in the file: row i, column j shows [i][j]
            const QRegularExpressionMatch match = path.match(viewer.model().ToolTip(k / n, k % n));
            ASSERT_TRUE(match.hasMatch()) << viewer.model().ToolTip(k / n, k % n);
            std::vector<int> elements;
            for (const QString& e : match.captured(1).split(QString::fromUtf8(" → "))) elements.push_back(e.toInt() - 1);
            EXPECT_EQ(elements.front(), k / n);
            EXPECT_EQ(elements.back(), k % n);
            const double entry = closure[k / n][k % n];
            EXPECT_NEAR(engine::FoldPath(t, E().relation, elements), entry, 0x1p-20 * entry + 1e-12) << k;
        }
    };
    for (const engine::TNorm t : {engine::Min, engine::Prod, engine::W})
        check(form->OpenViewer(2 + t), engine::AnyTNorm::Of(t), E().results.Closure(t));
    const engine::RelationMatrix relation = E().relation;
    Window& window = Compare(relation, E().dimension, "yager:2");
    ui::MatrixViewer* viewer = window.OpenViewer(0);
    check(*viewer, window.tnorm(), ui::MatrixOf(*viewer->model().snapshot(), 2));
}

TEST_F(MethodsWindowTest, ViolacionesOutlinesExactlyTheEntriesOfViolatingTriples) {
    Start(engine::kZorvane);
    E().dimension = 7;
    Click("Button1");
    ui::MatrixViewer& viewer = form->OpenViewer(1);
    viewer.resize(700, 600);
    for (const char* name : {"min", "prod", "w"}) {
        viewer.findChild<QAction*>(QString("Violaciones_") + name)->trigger();
        QCoreApplication::processEvents();
        const engine::AnyTNorm t = engine::AnyTNorm::Parse(name);
        const QImage image = viewer.view().viewport()->grab().toImage();
        const int n = E().dimension;
        long long total = 0;
        for (int k = 0; k < n * n; ++k) {
            const int i = k / n, j = k % n;
            int triples = 0;
            for (int m = 0; m < n; ++m)
                triples += t.T(E().relation[i][m], E().relation[m][j]) > E().relation[i][j] + engine::ViolationTolerance(E().relation[i][j]);
            total += triples;
            const QRect cell = viewer.view().visualRect(viewer.model().index(i, j));
            ASSERT_TRUE(image.rect().contains(cell));
            for (const QPoint& p : {QPoint(cell.left(), cell.center().y()), QPoint(cell.center().x(), cell.bottom())})
                EXPECT_EQ(image.pixelColor(p) == ui::HeatMapView::kViolationColor, triples > 0) << name << " " << i << j;
            EXPECT_EQ(image.pixelColor(cell.topLeft() + QPoint(3, 3)), QColor(viewer.model().Background(i, j))) << name << " " << i << j;
        }
        ASSERT_GT(total, 0);
        EXPECT_TRUE(viewer.findChild<QLabel*>("Estado")->text().contains(QString("%1 ternas violan la %2-transitividad").arg(total).arg(name)))
            << viewer.findChild<QLabel*>("Estado")->text();
    }
}

}  // namespace
