#include "apps/command_line/figure_options.h"

#include <QFontDatabase>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <string>

#include "toolkit/number_text.h"

namespace cli {

namespace {

constexpr double kLeastCentimetres = 1, kMostCentimetres = 100;
constexpr int kLeastPixels = 16, kMostPixels = 20000;
constexpr int kLeastResolution = 30, kMostResolution = 1200;
constexpr double kLeastPoints = 4, kMostPoints = 72;

std::string Quoted(const QString& text) { return "«" + text.toStdString() + "»"; }

// A decimal number with a point or a comma, as a Spanish user may type it.
bool ReadNumber(QString text, double& value) {
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    const std::string bytes = text.toStdString();
    return !bytes.empty() && bytes.find_first_not_of("0123456789.") == std::string::npos &&
           toolkit::ParseDouble(bytes, value) && std::isfinite(value);
}

QString Single(const QCommandLineParser& parser, const QCommandLineOption& option) {
    const QStringList values = parser.values(option);
    if (values.size() > 1)
        throw FigureOptionError("--" + option.names().constFirst().toStdString() + " va una sola vez");
    return values.constFirst().trimmed();
}

}  // namespace

FigureOptions::FigureOptions()
    : size_(QStringLiteral("tamano"),
            QStringLiteral("Con --figuras: el tamaño de cada figura, ANCHOxALTO en cm o px (8.5x6cm, 1004x709px)."),
            QStringLiteral("TAMAÑO")),
      resolution_(QStringLiteral("ppp"),
                  QStringLiteral("Con --figuras: puntos por pulgada del PNG y de la medida en papel (30 … 1200; 96 "
                                 "por omisión)."),
                  QStringLiteral("N")),
      font_(QStringLiteral("fuente"), QStringLiteral("Con --figuras: la letra, \"FAMILIA:PUNTOS\" (\"Liberation Sans:9\")."),
            QStringLiteral("FUENTE")),
      formats_(QStringLiteral("formato"),
               QStringLiteral("Con --figuras: los formatos que se escriben, separados por comas (png,svg,pdf; png,svg "
                              "por omisión)."),
               QStringLiteral("LISTA")),
      scale_(QStringLiteral("escala"),
             QStringLiteral("Con --figuras: la escala de color de los mapas: viridis (por omisión), cividis o grises."),
             QStringLiteral("ESCALA")) {}

void FigureOptions::AddTo(QCommandLineParser& parser) const {
    parser.addOptions({size_, resolution_, font_, formats_, scale_});
}

QString FigureOptions::FirstGiven(const QCommandLineParser& parser) const {
    for (const QCommandLineOption* option : {&size_, &resolution_, &font_, &formats_, &scale_})
        if (parser.isSet(*option)) return QStringLiteral("--") + option->names().constFirst();
    return {};
}

ui::FigureSettings FigureOptions::Read(const QCommandLineParser& parser) const {
    ui::FigureSettings settings;
    if (parser.isSet(resolution_)) {
        const QString text = Single(parser, resolution_);
        bool ok = false;
        const int value = text.toInt(&ok);
        if (!ok || text.startsWith(QLatin1Char('+')) || value < kLeastResolution || value > kMostResolution)
            throw FigureOptionError(Quoted(text) + " no es una resolución válida para --ppp: ha de ser un entero de " +
                                    std::to_string(kLeastResolution) + " a " + std::to_string(kMostResolution));
        settings.resolution = value;
    }
    if (parser.isSet(size_)) {
        const QString text = Single(parser, size_);
        static const QRegularExpression pattern(QStringLiteral("^([0-9.,]+)[xX×]([0-9.,]+)(cm|px)$"));
        const QRegularExpressionMatch match = pattern.match(text);
        double width = 0, height = 0;
        if (!match.hasMatch() || !ReadNumber(match.captured(1), width) || !ReadNumber(match.captured(2), height))
            throw FigureOptionError(Quoted(text) +
                                    " no es un tamaño válido para --tamano: ha de ser ANCHOxALTO seguido de cm o px, "
                                    "como 8.5x6cm o 1004x709px");
        settings.centimetres = match.captured(3) == QLatin1String("cm");
        if (settings.centimetres && (std::min(width, height) < kLeastCentimetres || std::max(width, height) > kMostCentimetres))
            throw FigureOptionError("el tamaño " + Quoted(text) + " de --tamano no cabe: cada lado ha de medir de 1 a 100 cm");
        if (!settings.centimetres && (std::min(width, height) < kLeastPixels || std::max(width, height) > kMostPixels ||
                                      width != std::floor(width) || height != std::floor(height)))
            throw FigureOptionError("el tamaño " + Quoted(text) +
                                    " de --tamano no cabe: cada lado ha de ser un entero de 16 a 20000 px");
        settings.width = width;
        settings.height = height;
        const QSize pixels = settings.PixelSize(QSize(1, 1));
        if (std::max(pixels.width(), pixels.height()) > kMostPixels)
            throw FigureOptionError("el tamaño " + Quoted(text) + " a " + std::to_string(settings.resolution) +
                                    " ppp pasa de 20000 px por lado: pida menos centímetros o menos --ppp");
    }
    if (parser.isSet(font_)) {
        const QString text = Single(parser, font_);
        const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
        const QString family = (colon < 0 ? text : text.left(colon)).trimmed();
        if (family.isEmpty())
            throw FigureOptionError("falta la familia en --fuente " + Quoted(text) + ": ha de ser \"FAMILIA:PUNTOS\", como "
                                    "\"Liberation Sans:9\"");
        if (colon >= 0) {
            double points = 0;
            if (!ReadNumber(text.mid(colon + 1).trimmed(), points) || points < kLeastPoints || points > kMostPoints)
                throw FigureOptionError(Quoted(text.mid(colon + 1)) +
                                        " no es un tamaño de letra válido para --fuente: ha de ir de 4 a 72 puntos");
            settings.fontPoints = points;
        }
        if (!QFontDatabase::hasFamily(family))
            throw FigureOptionError("la fuente " + Quoted(family) + " de --fuente no está instalada");
        settings.fontFamily = family;
    }
    if (parser.isSet(formats_)) {
        const QString text = Single(parser, formats_);
        settings.formats.clear();
        for (const QString& part : text.split(QLatin1Char(','))) {
            const QString name = part.trimmed().toLower();
            const std::optional<ui::FigureFormat> format = ui::FigureFormatOf(QStringLiteral("f.") + name);
            if (name.isEmpty() || name.contains(QLatin1Char('.')) || !format)
                throw FigureOptionError(Quoted(part.trimmed()) + " no es un formato de --formato: valen png, svg y pdf, "
                                        "separados por comas");
            if (std::find(settings.formats.begin(), settings.formats.end(), *format) != settings.formats.end())
                throw FigureOptionError(Quoted(name) + " se repite en --formato");
            settings.formats.push_back(*format);
        }
    }
    if (parser.isSet(scale_)) {
        const QString text = Single(parser, scale_);
        const std::optional<ui::ColourScale> scale = ui::ColourScaleNamed(text.toLower());
        if (!scale)
            throw FigureOptionError(Quoted(text) + " no es una escala de --escala: valen viridis, cividis y grises");
        settings.scale = *scale;
    }
    return settings;
}

}  // namespace cli
