#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "core/FrameFill.h"
#include "skin/MessageTexts.h"

// The headless run's choices (--batch).
struct BatchOptions {
    bool enabled = false;
    QString cardRoot;                   // --card ROOT: ROOT/DCIM/NNNRODIV, with the card flag
    int folderNumber = 0;               // --folder NNN; 0: the first free number
    std::optional<int> filesPerFolder;  // --per-folder N: then the next free folder (with --card)
    QString destination;                // --dest DIR: a plain folder
    std::optional<int> sizeIndex;       // --size; the settings' default when absent
    std::optional<int> qualityPosition;
    std::optional<int> formatIndex;
    std::optional<FrameFill> fill;      // --fill black|blur|#RRGGBB
    std::optional<int> conflictAnswer;  // --on-conflict; absent: ask on a terminal
    bool noExif = false;                // --no-exif (a --dest folder only: a card has it)
    bool noThumbnails = false;          // --no-thumbnails (likewise)
    bool askOnConflict = false;         // --on-conflict ask given
    bool cleanCard = false;             // --clean-card: remove what the card check finds
    bool eject = false;                 // --eject: unmount the card at the end
};

// What the program was asked to do on its command line. Parsed before any window or
// display exists, so --help, --version and usage errors work everywhere. Any thread.
struct ProgramOptions {
    bool help = false;
    bool version = false;
    bool noSplash = false;
    bool verbose = false;  // --verbose: the imaging libraries' own warnings too
    std::optional<Messages::Language> language;  // --lang en|ja
    BatchOptions batch;
    QStringList paths;  // images, folders and presentations
    QString error;      // non-empty for a usage error
};

// arguments[0] is the program name.
ProgramOptions ParseProgramArguments(const QStringList& arguments);

// "-Embedding" or "/Automation" (either prefix, any case), as an automated start passes them.
// They stay among the paths, but the window imports nothing for them.
bool IsAutomationSwitch(const QString& argument);

// True when the arguments ask for no start-up picture: --no-splash, or an automation switch.
bool SplashSuppressed(const ProgramOptions& options);

// The text of --help.
QString UsageText();
