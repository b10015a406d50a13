#pragma once

#include <QCoreApplication>

namespace velmora {

// Qt's own texts (the file dialogs, "OK", "Annulla", "Sì", "No") in the language of the
// system's locale, from the translations installed with Qt; the window's own captions
// are Italian whatever the locale. False when none are installed for that language.
bool installQtTranslations(QCoreApplication& application);

} // namespace velmora
