#pragma once

// What both programs take from the system's locale support, window or not (Qt Core only).

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "engine/variant.h"

namespace ui {

/// Qt's own texts (standard buttons, file dialogs, the command-line help) in Spanish whatever
/// the system language, as the program is Spanish throughout. False when Qt's Spanish
/// translation is not installed; the texts then stay in English.
inline bool InstallSpanishTranslation(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (translator->load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return QCoreApplication::installTranslator(translator);
    delete translator;
    return false;
}

/// The program-wide decimal separator at start: a comma in Zorvane; in Zorvath the one of the
/// user's regional settings when it is one plain character, else a point.
inline char StartDecimalSeparator(const engine::Variant& variant) {
    if (variant.commaSeparator) return ',';
    const QString point = QLocale::system().decimalPoint();
    const bool plain = point.size() == 1 && point.at(0).unicode() > 32 && point.at(0).unicode() < 127;
    return plain ? static_cast<char>(point.at(0).unicode()) : '.';
}

}  // namespace ui
