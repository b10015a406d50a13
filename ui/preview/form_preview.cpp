// Shows Form1 as it looks right after start-up and writes a picture of its client area,
// optionally enlarged (a whole factor) to judge details by eye.
#include "model/form_model.h"
#include "ui/form1.h"

#include <QApplication>
#include <QPixmap>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const int zoom = arguments.size() == 3 ? arguments.at(2).toInt() : 1;
    if (arguments.size() < 2 || arguments.size() > 3 || zoom < 1) {
        QTextStream(stderr) << "usage: velmora-form-preview OUTPUT.png [ZOOM]\n";
        return 2;
    }
    velmora::FormModel model;
    model.selectStartBand();
    model.setComboRow(0);
    velmora::Form1 form(model);
    form.show();
    QApplication::processEvents();
    QPixmap picture = form.grab();
    if (zoom > 1) {
        picture =
            picture.scaled(picture.size() * zoom, Qt::KeepAspectRatio, Qt::FastTransformation);
    }
    if (!picture.save(arguments.at(1), "PNG")) {
        QTextStream(stderr) << "cannot write " << arguments.at(1) << "\n";
        return 1;
    }
    return 0;
}
