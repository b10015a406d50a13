#pragma once

#include <QString>

namespace velmora {

// The device behind port number n (1 to 8): the value of VELMORA_COM<n> when it is set
// and not empty, otherwise the platform's n-th serial port (/dev/ttyS<n-1>, COM<n>).
QString deviceForPort(int portNumber);

} // namespace velmora
