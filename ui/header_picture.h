#pragma once

#include <QPixmap>

namespace velmora {

// The header's 46 x 48 decoration: a hand-held radio sending, in sixteen-colour tones.
QPixmap headerPicture();

} // namespace velmora
