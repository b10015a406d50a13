// Shows Form1 as it looks right after start-up and writes a picture of its client area.
#include "model/form_model.h"
#include "ui/form1.h"

#include <QApplication>
#include <QPixmap>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: velmora-form-preview OUTPUT.png\n";
        return 2;
    }
    velmora::FormModel model;
    model.selectStartBand();
    model.setComboRow(0);
    velmora::Form1 form(model);
    form.show();
    QApplication::processEvents();
    if (!form.grab().save(arguments.at(1), "PNG")) {
        QTextStream(stderr) << "cannot write " << arguments.at(1) << "\n";
        return 1;
    }
    return 0;
}
