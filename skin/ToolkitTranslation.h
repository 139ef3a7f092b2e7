#pragma once

#include "skin/MessageTexts.h"

// Qt's own texts in the program's language: the file and folder pickers ("Look in", "Open"),
// their standard buttons, the menus of edit fields. Installs Qt's translation catalogue for the
// language (qtbase, from the system's Qt translations) on the application, and makes the
// language the default locale so that the pickers' dates and sizes follow it too. English
// needs no catalogue. Main thread, once the application object exists.
class ToolkitTranslation {
public:
    // Replaces the catalogue a previous call installed. False when the language has none to load
    // (English) or its catalogue is not installed; Qt's texts are English then.
    static bool Install(Messages::Language language);

    ToolkitTranslation() = delete;
};
