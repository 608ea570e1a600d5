#include "ui/program.h"

#include <QApplication>
#include <exception>
#include <memory>

#include "ui/form1.h"
#include "ui/locale.h"
#include "ui/qt_dialogs.h"

namespace ui {

int RunProgram(int argc, char** argv, const engine::Variant& variant) {
    QApplication application(argc, argv);
    application.setApplicationName(QString::fromLatin1(engine::ProgramName(variant)));
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
