// Qt's own texts (the standard buttons of message boxes, the folder chooser) in the program's
// language, from the translations Qt installs (Debian: qt6-translations-l10n).
#pragma once

#include "ui/text/ui_strings.h"

class QTranslator;

namespace qtui {

// Installs Qt's translation for `language` into the running application and returns it (owned
// by the application); English needs none. Null for English and when the translation is not
// installed: Qt then shows its English texts.
QTranslator* LoadQtTranslations(ui::Language language);

}  // namespace qtui
