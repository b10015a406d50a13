#include "link/open_failure.h"

#include <QFile>

#ifndef Q_OS_WIN
#include <grp.h>
#include <sys/stat.h>
#endif

namespace velmora {

QString owningGroup(const QString& device) {
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return {};
#else
    struct stat status {};
    if (::stat(QFile::encodeName(device).constData(), &status) != 0) {
        return {};
    }
    if (const group* owner = ::getgrgid(status.st_gid)) {
        return QString::fromLocal8Bit(owner->gr_name);
    }
    return QString::number(status.st_gid);
#endif
}

QString describeOpenFailure(const QString& device, QSerialPort::SerialPortError error,
                            const QString& systemReason) {
    QString text = QStringLiteral("Impossibile aprire la porta %1: %2.").arg(device, systemReason);
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        text += QStringLiteral("\nIl dispositivo non esiste: controllare il collegamento "
                               "dell'adattatore o la variabile VELMORA_COM<n>.");
        break;
    case QSerialPort::PermissionError: {
        const QString group = owningGroup(device);
        if (!group.isEmpty()) {
            text += QStringLiteral("\nL'utente deve far parte del gruppo \"%1\", che possiede il "
                                   "dispositivo (sudo usermod -aG %1 $USER, poi rientrare), "
                                   "oppure la porta è usata da un altro programma.")
                        .arg(group);
        }
        break;
    }
    default:
        break;
    }
    return text;
}

} // namespace velmora
