// The charts window: what its charts hold and show after the window presents a trial, and the
// figures it and the command line write.
#include <gtest/gtest.h>

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLineSeries>
#include <QPushButton>
#include <QValueAxis>
#include <QXmlStreamReader>
#include <tuple>

#include "../support.h"
#include "form_fixture.h"
#include "toolkit/number_text.h"
#include "ui/charts.h"

namespace {

using test_support::Contents;

class ChartsTest : public ui_test::FormTest {
protected:
    // The window of `variant` with its charts window open, then three trials at dimension n.
    ui::ChartsWindow& Open(const engine::Variant& variant, int n) {
        Start(variant);
        E().dimension = n;
        Click("Graficas1");
        auto* charts = static_cast<ui::ChartsWindow*>(Find<QWidget>("Graficas"));
        for (int k = 0; k < 3; ++k) Click("Button1");
        QCoreApplication::processEvents();
        return *charts;
    }
};

TEST_F(ChartsTest, FollowTheTrialsScaledToTheirDataAtAnyDimensionStartAfreshAndExportAsFigures) {
    for (const auto& [variant, n] : {std::pair{engine::kZorvane, 3}, std::pair{engine::kZorvath, 100}}) {
        SCOPED_TRACE(n);
        ui::ChartsWindow& charts = Open(variant, n);
        const engine::Analysis& a = E().results;

        // The bars hold the distances as a person reads them, Min at the top; the axis holds
        // the longest.
        ui::DistanceBarChart& bars = charts.bars;
        const auto readable = [](float d) { return toolkit::StrToFloat(toolkit::ReadableNumber(d, '.'), '.'); };
        for (int t = 0; t < engine::kTNormCount; ++t) {
            EXPECT_EQ(bars.closure->at(2 - t), readable(a.d1Closure[t]));
            EXPECT_EQ(bars.transitivized->at(2 - t), readable(a.d1Transitivized[t]));
        }
        // Every bar ends, in its colour, where its value lies, inside the plot.
        auto* view = static_cast<QChartView*>(bars.chart()->scene()->views().front());
        const QImage image = view->grab().toImage();
        const QRect plot = view->mapFromScene(bars.chart()->plotArea()).boundingRect();
        for (int group = 0; group < 3; ++group)
            for (int set = 0; set < 2; ++set) {
                QBarSet* barSet = set == 0 ? bars.transitivized : bars.closure;
                // Group 0 at the bottom, set 0 the lower bar.
                const QPoint end = view->mapFromScene(bars.chart()->mapToPosition(
                    QPointF(barSet->at(group), group + (set == 0 ? -0.2 : 0.2)), bars.chart()->series().front()));
                EXPECT_LT(end.x(), plot.right());  // the axis holds the longest
                int x = plot.left() + 2;
                while (x + 1 < image.width() && image.pixelColor(x + 1, end.y()) == barSet->color()) ++x;
                EXPECT_NEAR(x, end.x(), 2) << "group " << group << " set " << set;
            }

        // Each curve ends at this trial's point; both axes hold every point.
        const auto snapshot = experiments::TakeSnapshot(form->experiment());
        const experiments::Snapshot& s = *snapshot;
        for (int t = 0; t < engine::kTNormCount; ++t) {
            ui::CurveChart& curve = charts.curves[t];
            ASSERT_EQ(curve.closure->count(), static_cast<int>(s.recentPoints[t].size()));
            for (const auto& [series, y] : {std::pair{curve.closure, uinftab::PlotPointX(s.recentPoints[t].back())},
                                            {curve.transitivized, uinftab::PlotPointY(s.recentPoints[t].back())}})
                EXPECT_EQ(series->points().back(), QPointF(E().trialCount, y));
            for (QLineSeries* series : {curve.closure, curve.transitivized})
                for (const QPointF& p : series->points()) {
                    EXPECT_TRUE(p.x() >= curve.trialAxis->min() && p.x() <= curve.trialAxis->max());
                    EXPECT_TRUE(p.y() >= curve.distanceAxis->min() && p.y() <= curve.distanceAxis->max());
                }
        }

        // The percentages say whose they are and what they count.
        const int greater = s.closureGreaterCount[engine::Min];
        EXPECT_EQ(charts.percents.tnormAxis->categories().back(), QString("Min: %1 % (%2 de %3)").arg(
            form->closureGreaterPercent[engine::Min]).arg(greater).arg(greater + s.closureNotGreaterCount[engine::Min]));
        // "Inicia" starts afresh.
        Click("Button7");
        EXPECT_EQ(charts.curves[engine::Min].closure->count(), 0);
        EXPECT_EQ(charts.percents.tnormAxis->categories().back(), "Min: 0 % (0 de 1)");
    }

    // The charts as figures.
    const test_support::ScratchDir dir("charts_test");
    ui::ChartsWindow& charts = Open(engine::kZorvane, 4);
    // A change of dimension: marked on the curves at its first trial, named in their titles and
    // by the percentages, and drawn in the figures.
    dialogs.inputs = {"6"};
    Click("Button2");  // after trial 1 at n = 10 and three at n = 4, trial 5 at n = 6
    QCoreApplication::processEvents();
    ui::CurveChart& curve = charts.curves[engine::Prod];
    ASSERT_EQ(curve.changes.size(), 2u);
    for (const auto& [change, trial, text] : {std::tuple(0, 2, "n = 4"), std::tuple(1, 5, "n = 6")}) {
        EXPECT_EQ(curve.changes[change].second->text(), text);
        EXPECT_NEAR(curve.changes[change].first->line().x1(),
                    curve.chart()->mapToPosition(QPointF(trial, 0), curve.closure).x(), 0.5);
    }
    EXPECT_TRUE(curve.chart()->title().endsWith("matrices (dimensiones 4, 6 y 10)")) << curve.chart()->title();
    EXPECT_TRUE(charts.percents.percentAxis->titleText().contains("que mezclan las dimensiones 4, 6 y 10"));
    for (const char* name : {"graficas.png", "graficas.svg", "graficas.pdf", "barras.svg", "barras.png"}) {
        SCOPED_TRACE(name);
        const QString path = QString::fromStdString((dir / name).string());
        if (QString(name).startsWith("barras")) {
            ui::FigureSettings settings;
            settings.width = 600;
            settings.height = 400;
            settings.centimetres = false;
            ui::SaveDistanceBars(path, E().results, 4, toolkit::DecimalSeparator(), settings);
        } else {
            dialogs.saveName = path;
            charts.findChild<QPushButton*>("ExportarFigura")->click();  // as a person asks for it
        }
        const std::string bytes = Contents(path.toStdString());
        if (path.endsWith(".png")) {  // read as a PNG, at its size
            EXPECT_EQ(QImage::fromData(QByteArray::fromStdString(bytes), "PNG").size(),
                      path.contains("barras") ? QSize(600, 400) : charts.FigureSize());
        } else if (path.endsWith(".svg")) {
            QXmlStreamReader xml(QByteArray::fromStdString(bytes));
            QString text;
            while (!xml.atEnd())
                if (xml.readNext() == QXmlStreamReader::Characters) text += xml.text().toString() + "|";
            EXPECT_FALSE(xml.hasError()) << xml.errorString();
            EXPECT_EQ(text.contains("|n = 6|"), path.contains("graficas"));
            for (int t = 0; t < engine::kTNormCount; ++t)  // the six distances as a person reads them
                for (float d : {E().results.d1Closure[t], E().results.d1Transitivized[t]})
                    EXPECT_TRUE(text.contains(QString::fromStdString("|" + toolkit::ReadableNumber(d, ',') + "|"))) << d;
        } else {
            EXPECT_TRUE(bytes.rfind("%PDF-", 0) == 0 && bytes.size() > 1000) << bytes.size();
        }
    }
    EXPECT_TRUE(dialogs.errors.isEmpty());
    // The tool tips name the keys.
    EXPECT_TRUE(charts.findChild<QPushButton*>("ExportarFigura")->toolTip().endsWith("(Control+S)"));
    EXPECT_TRUE(charts.findChild<QChartView*>()->toolTip().contains("Control+Mayúsculas+S"));

    // A folder that is not there: the error box, and nothing written.
    dialogs.saveName = QString::fromStdString((dir / "no_hay/graficas.png").string());
    charts.ExportFigure();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains("graficas.png")) << dialogs.errors[0];
    EXPECT_FALSE(std::filesystem::exists(dir / "no_hay"));
}

}  // namespace
