#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <optional>

#include "card/ConvertRun.h"

class WorkingList;

// The show rehearsed on screen, without widgets: what it shows (the working list as the
// convert run would write it, or the files a run wrote, read back from the card), how a key
// steps through it and which pictures are kept made around the one shown. Values; the pictures
// are made on a worker, the rest on the GUI thread.

// One picture of a rehearsal.
struct RehearsalItem {
    QString path;  // the work copy to encode, or the written file to read as it is
    QString name;  // what the picture is called on screen and to a screen reader
    bool encode = true;
    ConvertSettings settings;  // what the encoding is asked (encode only)
    int quarterTurns = 0;      // the turn by hand, clockwise (encode only)
};

// A picture made for the screen, or why it could not be made.
struct RehearsalPicture {
    QImage image;  // null when it could not be made
    QString reason;
};

enum class RehearsalStep { Next, Previous, First, Last };

// The step a key asks for: Right, Down, Space and PageDown forward, Left, Up, Backspace and
// PageUp back, Home and End to the ends; nothing for any other key.
std::optional<RehearsalStep> RehearsalStepOfKey(int key);
// The index (0-based) after a step from current in a show of count pictures; the ends hold.
int SteppedIndex(int current, int count, RehearsalStep step);
// The pictures kept made around current, in the order they are made: current, the next two
// (the user mostly steps forward), then the previous one.
QList<int> RehearsalWindow(int current, int count);

// The working list as the convert run writes it with settings (a slide keeps black bars).
QList<RehearsalItem> RehearsalItemsOf(const WorkingList& list, const ConvertSettings& settings);
// The images written under destination, in the order a device shows them: on a card, every
// card folder in the order of its number and each one's images in the order of theirs; in
// another folder, its numbered images in the order of their numbers.
QList<RehearsalItem> WrittenItemsOf(const QString& destination);

// Encodes the item as the convert run does and decodes the result, or reads the written file.
// Runs on a worker; never throws.
RehearsalPicture MakeRehearsalPicture(const RehearsalItem& item);
