#include "ui/program.h"

#include <QApplication>
#include <QIcon>
#include <exception>
#include <memory>

#include "toolkit/number_text.h"
#include "ui/form1.h"
#include "ui/locale.h"
#include "ui/qt_dialogs.h"

namespace ui {

int RunProgram(int argc, char** argv, const engine::Variant& variant) {
    QApplication application(argc, argv);
    toolkit::KeepCNumericLocale();
    application.setApplicationName(QString::fromLatin1(engine::ProgramName(variant)));
    // The installed menu entry and icon are named after the program in lower case, which lets
    // the desktop match the window to its entry.
    const QString entry = QString::fromLatin1(engine::ProgramName(variant)).toLower();
    application.setDesktopFileName(entry);
    application.setWindowIcon(QIcon::fromTheme(entry));
    InstallSpanishTranslation(application);
    QtDialogs dialogs;
    try {
        TForm1 form(variant, dialogs);
        dialogs.SetParent(&form);
        form.show();
        application.exec();
    } catch (const std::exception& e) {
        dialogs.SetParent(nullptr);
        dialogs.ShowException(QString::fromUtf8(e.what()));
    }
    return 0;
}

}  // namespace ui
