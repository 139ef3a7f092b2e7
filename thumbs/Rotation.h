#pragma once

#include <QImage>

class WorkingList;

// Turning images by hand, by quarter turns clockwise (negative: to the left). The turn is kept
// on the entry and applied on the fly; neither the user's file nor the work copy changes. GUI
// thread.

// Turns the selected entries and their thumbnails (at once, without decoding the file again);
// a turned entry is no longer saved as it is shown. False when nothing is selected.
bool TurnSelected(WorkingList& list, int quarterTurns);

// The turn after another one, kept within 0 to 3.
int AddTurns(int quarterTurns, int more);

// The image turned clockwise by quarterTurns, its pixel ratio kept; a null image stays null.
QImage TurnedImage(const QImage& image, int quarterTurns);
