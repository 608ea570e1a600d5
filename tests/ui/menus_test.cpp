// Every command from the keyboard: a key for each button's command, the menus by Alt and their
// letter, Tab from control to control with each grid taken once, and the focus frame.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QTest>
#include <tuple>

#include "tests/ui/form_fixture.h"
#include "ui/matrix_viewer.h"

namespace {

using MenusTest = ui_test::FormTest;

TEST_F(MenusTest, TabTakesEachGridOnceArrowsMoveInsideFocusIsFramedAndEveryCommandHasAKey) {
    Start(engine::kZorvane);
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const QColor highlight = Grid(2)->palette().color(QPalette::Active, QPalette::Highlight);
    const QImage unfocused = Grid(2)->grab().toImage();
    EXPECT_NE(unfocused.pixelColor(0, 0), highlight);
    EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("Button1"));  // where Tab starts

    // Tab reads the window left to right, top to bottom, band by band, and comes round again.
    const char* const tabOrder[] = {"Button1",     "Button2",     "Button3",     "Button4",     "StringGrid1",
                                    "Button6",     "Button5",     "Button7",     "Button8",     "StringGrid2",
                                    "StringGrid3", "StringGrid4", "StringGrid5", "StringGrid6", "StringGrid7",
                                    "StringGrid8", "StringGrid9", "StringGrid10", "Button1"};
    Find<QWidget>("Button1")->setFocus();
    for (std::size_t k = 0; k < std::size(tabOrder); ++k) {
        if (k > 0) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), tabOrder[k]) << k;
    }
    Grid(2)->setFocus();
    const QModelIndex before = Grid(2)->currentIndex();
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Right}) QTest::keyClick(Grid(2), key);
    EXPECT_EQ(Grid(2)->currentIndex(), Grid(2)->model()->index(before.row() + 1, before.column() + 1));
    EXPECT_EQ(QApplication::focusWidget(), Grid(2));
    const QImage focused = Grid(2)->grab().toImage();
    EXPECT_EQ(focused.pixelColor(0, 0), highlight);
    EXPECT_EQ(focused.pixelColor(focused.width() - 1, focused.height() / 2), highlight);
    QTest::keyClick(Grid(2), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("Button8"));

    // Key, and what shows that its command ran: the first dialog it asks (empty: none), or the
    // trial count.
    const std::tuple<QKeySequence, QString, int> commands[] = {
        {QKeySequence("Ctrl+G"), "", 2},  // Genera Matriz
        {QKeySequence("Ctrl+D"), QStringLiteral("Cambiar dimensión: ") + TForm1::kDimensionPrompt, 3},
        {QKeySequence("Ctrl+R"), "¿Quieres que la matriz sea Reflexiva?", 4},
        {QKeySequence("Ctrl+Y"), "¿Quieres que la matriz sea Simétrica?", 5},
        {QKeySequence("Ctrl+P"), "Permutación: Dame un número", 6},
        {QKeySequence("Ctrl+5"), "progress 50 veces 50", 56},
        {QKeySequence("Ctrl+E"), "Genera fichero: Dame num Dimensiones", 56},
        {QKeySequence("Ctrl+I"), "", 0},  // Inicia
        {QKeySequence("Ctrl+O"),
         "open matriz (texto, NumPy, Matrix Market)|*.txt;*.npy;*.mtx|fichero de texto|*.txt|NumPy|*.npy|Matrix Market|*.mtx|"
         "todos los archivos|*",
         0},
        {QKeySequence("Ctrl+S"), "save fichero de texto|*.txt|todos los archivos|* .txt (replace?) todo.txt", 0},
    };
    for (const auto& [key, asked, trialsAfter] : commands) {
        dialogs.asked.clear();
        QTest::keySequence(form.get(), key);
        EXPECT_EQ(dialogs.asked.value(0), asked) << key.toString();
        EXPECT_EQ(E().trialCount, trialsAfter) << key.toString();
    }
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n");

    // Alt and a letter open each menu; a letter there runs its item, each item's its own.
    for (QAction* item : form->menuBar()->actions()) {
        QSet<QChar> letters;
        for (QAction* action : item->menu()->actions()) {
            const qsizetype at = action->text().indexOf(QLatin1Char('&'));
            EXPECT_TRUE(action->isSeparator() || (at >= 0 && !letters.contains(action->text()[at + 1].toLower())))
                << action->text();
            if (at >= 0) letters.insert(action->text()[at + 1].toLower());
        }
    }
    const std::pair<Qt::Key, const char*> menus[] = {{Qt::Key_A, "Archivo1"}, {Qt::Key_O, "B1"}, {Qt::Key_V, "Ver1"}};
    for (const auto& [key, name] : menus) {
        QTest::keyClick(form.get(), key, Qt::AltModifier);
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_EQ(popup ? popup->objectName() : "", name);
        QTest::keyClick(popup, Qt::Key_Escape);
        QTest::keyClick(QApplication::activePopupWidget() ? QApplication::activePopupWidget() : form.get(), Qt::Key_Escape);
    }
    QTest::keyClick(form.get(), Qt::Key_V, Qt::AltModifier);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_M);
    EXPECT_NE(form->findChild<ui::MatrixViewer*>("Visor2"), nullptr);  // "Cierre &Min-transitivo"
    QTest::keyClick(Grid(1), Qt::Key_Return);  // Enter opens the grid's viewer
    EXPECT_NE(form->findChild<ui::MatrixViewer*>("Visor1"), nullptr);
}

}  // namespace
