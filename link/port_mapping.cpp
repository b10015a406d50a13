#include "link/port_mapping.h"

#include <QtGlobal>

namespace velmora {

QString deviceForPort(int portNumber) {
    const QString chosen = qEnvironmentVariable(
        QStringLiteral("VELMORA_COM%1").arg(portNumber).toLatin1().constData());
    if (!chosen.isEmpty()) {
        return chosen;
    }
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

} // namespace velmora
