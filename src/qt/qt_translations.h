// Qt's own texts (the standard buttons of message boxes, the folder chooser) in the program's
// language, from the translations Qt installs (Debian: qt6-translations-l10n).
#pragma once

#include "ui/text/ui_strings.h"

namespace qtui {

// Installs Qt's translation for `language` into the running application; English needs none.
// False when the translation is not installed: Qt then shows its English texts.
bool LoadQtTranslations(ui::Language language);

}  // namespace qtui
