#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "skin/MessageTexts.h"

// What the program was asked to do on its command line. Parsed before any window or
// display exists, so --help, --version and usage errors work everywhere. Any thread.
struct ProgramOptions {
    bool help = false;
    bool version = false;
    std::optional<Messages::Language> language;  // --lang en|ja
    QStringList paths;                           // images, folders and presentations
    QString error;                               // non-empty for a usage error
};

// arguments[0] is the program name.
ProgramOptions ParseProgramArguments(const QStringList& arguments);

// The text of --help.
QString UsageText();
