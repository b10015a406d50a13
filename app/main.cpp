// velmora: configures a radio unit of the alarm system over a serial line.
#include "app/controller.h"
#include "app/qt_operator_dialogs.h"
#include "app/qt_translations.h"
#include "app/window_history.h"
#include "link/port_map.h"
#include "link/serial_link.h"
#include "model/form_model.h"
#include "ui/form1.h"

#include <QApplication>

#ifdef VELMORA_AUTOMATION_HOOK
#include "app/automation_hook.h"
#endif

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    velmora::installQtTranslations(application);
    velmora::FormModel model;
    velmora::SerialLink link;
    velmora::QtOperatorDialogs dialogs;
    velmora::Controller controller(model, link, dialogs);
    // The history lives in the production store's local file.
    velmora::WindowHistory history(*velmora::store::storeLocationOf({}));
    history.removeExpired(velmora::PortMap::filePath());
    controller.keepHistory(history);

    velmora::Form1 window(model);
    dialogs.setParentWidget(&window);
    window.setBeep([&dialogs] { dialogs.beep(); });
    QObject::connect(&window, &velmora::Form1::commandRequested, &controller,
                     &velmora::Controller::runCommand);
#ifdef VELMORA_AUTOMATION_HOOK
    velmora::installAutomationHook(window, link);
#endif

    controller.startUp();
    window.show();
    return application.exec();
}
