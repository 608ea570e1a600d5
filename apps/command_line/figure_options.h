#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <stdexcept>

#include "ui/figure_export.h"

namespace cli {

/// A figure option used the wrong way; the command line reports it as a usage error.
class FigureOptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The options that say how --figuras draws: --tamano ANCHOxALTO{cm,px}, --ppp N,
/// --fuente "FAMILIA:PUNTOS", --formato png,svg,pdf and --escala viridis|cividis|grises.
class FigureOptions {
public:
    FigureOptions();
    void AddTo(QCommandLineParser& parser) const;
    /// The first of them given ("--ppp"), or empty.
    QString FirstGiven(const QCommandLineParser& parser) const;
    /// The settings they ask for, each checked, or FigureOptionError with a Spanish message.
    ui::FigureSettings Read(const QCommandLineParser& parser) const;

private:
    QCommandLineOption size_, resolution_, font_, formats_, scale_;
};

}  // namespace cli
