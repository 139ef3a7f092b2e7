#pragma once

#include <QString>

#include "imaging/CLead.h"

class Prompter;
class WorkingList;

// The one way into the working list: checks that the list has room, that the file is an
// image of a supported format no larger than 10,000 pixels a side, copies it byte for byte
// into the private work folder, and appends an entry. Every refusal is told through the
// Prompter and leaves the list and the work folder as they were. GUI thread (or the batch
// run's only thread).
class ImageLoader {
public:
    ImageLoader(WorkingList& list, Prompter& prompter, QString workFolder);

    // 1 when the image entered the list, 0 when it was refused. originFlagA and originFlagB
    // are 1 for a slide from a presentation, 0 for an image file.
    int AddImage(const QString& path, int originFlagA, int originFlagB);

private:
    // The work copy in the work folder, "TMP" and a unique suffix; empty on failure, when
    // nothing is left behind.
    QString MakeWorkCopy(const QString& source);

    WorkingList& list_;
    Prompter& prompter_;
    QString workFolder_;
    CLead examiner_;
};
