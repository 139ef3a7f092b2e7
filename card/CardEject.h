#pragma once

#include <QString>

// Making a card safe to pull: everything written is flushed, then the desktop's disk service
// unmounts the card's file system and, where the card sits in a USB reader that can be powered
// off, powers its drive off. Blocks until done (an unmount flushes the card); run it on a
// worker. Any thread.

enum class EjectOutcome {
    Removable,  // unmounted: the card may be pulled now
    Busy,       // a program keeps a file or folder of the card open
    Failed,     // the service refused, with its reason
    NoService,  // no disk service knows the card: flushed, but not unmounted
};

struct Ejection {
    EjectOutcome outcome = EjectOutcome::Failed;
    // Busy: the programs using the card; Failed: the service's reason.
    QString detail;
    bool poweredOff = false;
};

Ejection EjectCard(const QString& root);

// What the user is told of an ejection, in the chosen language.
QString EjectionText(const Ejection& ejection);

// The names of the programs that have a file or folder under root open or as their working
// folder, sorted, each once; only those whose files this user may look at.
QStringList ProgramsUsing(const QString& root);
