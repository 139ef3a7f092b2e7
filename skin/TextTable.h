#pragma once

#include <QHash>
#include <QString>

#include "skin/MessageTexts.h"

// A table of texts in both languages as the resources keep them:
// {"<section>": {"<key>": {"en": "...", "ja": "..."}}}. Read once at first use; any thread
// after that.
struct BilingualText {
    QString english;
    QString japanese;

    const QString& In(Messages::Language language) const {
        return language == Messages::Language::Japanese ? japanese : english;
    }
};

// The section of the resource file; a missing file gives an empty table and a warning.
QHash<QString, BilingualText> ReadTextTable(const QString& resource, const char* section);
