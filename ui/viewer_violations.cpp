// A viewer's "Violaciones": the entries of the triples that violate transitivity under the
// t-norm of the matrix shown, outlined in the map and counted in the status line.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "ui/matrix_viewer.h"
#include "ui/tnorm_figures.h"

namespace ui {

void MatrixViewer::BuildViolations(QToolBar* bar) {
    violations_ = new QAction(QStringLiteral("Violaciones"), this);
    violations_->setObjectName(QStringLiteral("Violaciones"));
    violations_->setCheckable(true);
    violations_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    violations_->setToolTip(QStringLiteral("Marca las entradas (i, j) de las ternas (i, j, k) con T(X[i][k], X[k][j]) "
                                           "mayor que X[i][j]"));
    connect(violations_, &QAction::toggled, this, [this](bool on) { ShowViolations(on); });
    bar->addAction(violations_);
    if (matrix_ == 1) {
        // The relation has no t-norm of its own: the button's menu chooses one.
        auto* menu = new QMenu(this);
        auto* group = new QActionGroup(menu);
        for (const engine::TNorm t : {engine::Min, engine::Prod, engine::W}) {
            const engine::AnyTNorm any = engine::AnyTNorm::Of(t);
            QAction* choice = menu->addAction(TNormText(any));
            choice->setObjectName(QStringLiteral("Violaciones_") + TNormText(any));
            choice->setCheckable(true);
            choice->setChecked(t == engine::Min);
            group->addAction(choice);
            connect(choice, &QAction::triggered, this, [this, any] {
                SetTNorm(any);
                violations_->setChecked(true);
            });
        }
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(violations_))) {
            button->setMenu(menu);
            button->setPopupMode(QToolButton::MenuButtonPopup);
        }
        model_->SetTNorm(engine::AnyTNorm::Of(engine::Min));
    }
    violations_->setEnabled(model_->TNorm().has_value());
}

void MatrixViewer::SetTNorm(const engine::AnyTNorm& t) {
    model_->SetTNorm(t);
    violations_->setEnabled(true);
    view_->viewport()->update();
    ShowStatus();
}

void MatrixViewer::ShowViolations(bool on) {
    if (violations_->isChecked() != on) return violations_->setChecked(on);  // comes back here
    model_->SetViolations(on);
    view_->viewport()->update();
    ShowStatus();
}

QString MatrixViewer::ViolationsStatus() const {
    const std::optional<engine::AnyTNorm> t = model_->TNorm();
    if (!model_->ShowsViolations() || !t) return {};
    if (model_->ViolationsRefused())
        return QStringLiteral(" · violaciones: solo hasta %1 elementos").arg(HeatMapModel::kLargestViolationScan);
    if (model_->ViolatingTriples() == 0)
        return QStringLiteral(" · ninguna terna viola la %1-transitividad").arg(TNormText(*t));
    return QStringLiteral(" · %1 ternas violan la %2-transitividad (%3 entradas)")
        .arg(model_->ViolatingTriples())
        .arg(TNormText(*t))
        .arg(model_->ViolatedEntryCount());
}

}  // namespace ui
