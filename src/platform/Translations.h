#pragma once

namespace platform {

// Loads the translations of the user's language (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG), ours from the resources and Qt's own for its
// dialogs, into the application object, which must exist. Without a
// translation the texts stay English.
void installTranslations();

} // namespace platform
