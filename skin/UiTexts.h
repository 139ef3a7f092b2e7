#pragma once

#include <QString>

#include "skin/MessageTexts.h"

// The texts of the windows themselves (labels, menus, captions) in English and Japanese,
// kept as data in resources/strings/ui.json beside the message table. Keys name the place
// ("menu.file.convert"). The language is the one of Messages. Any thread after start-up.
class UiTexts {
public:
    // The text of a key; an unknown key gives the key itself and a warning, so a missing text
    // shows up on screen instead of an empty label.
    static QString Text(const char* key);
    static QString Text(const char* key, Messages::Language language);

    UiTexts() = delete;
};
