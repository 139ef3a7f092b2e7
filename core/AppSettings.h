#pragma once

#include <QString>

#include "core/FrameFill.h"

// The one record of what the user chose about the output, the folders remembered during a
// run and the two work-folder paths. The application owns the single instance; it lives
// in memory and starts at the defaults on every run: nothing of it is kept in the profile
// store. GUI thread.
struct AppSettings {
    bool cardFlag = true;            // destination is a memory card in the card layout
    int formatIndex = 1;             // 0 automatic, 1 JPEG, 2 PNG
    int qualityPosition = 5;         // 1 (Low) to 5 (High)
    bool exifOption = true;          // write the Exif block
    int sizeIndex = 1;               // 0 XGA, 1 SVGA, 2 SXGA, 3 WXGA, 4 Full HD
    bool thumbnailOption = true;     // embed a thumbnail
    int filesPerFolder = 9999;       // 1 to 9999: a card folder's last number in Save All
    FrameFill fill;                  // around a picture of another aspect; black bars
    QString cardFolder;              // the card folder chosen in the destination dialog
    QString otherFolder;             // a folder chosen in the folder browser
    QString cardDrive;               // the drive (mount root) of the card folder
    QString lastDestination;         // folder of the last image the convert run wrote
    QString lastPresentationFolder;  // first folder of Import slide
    QString lastImageFolder;         // first folder of Import file
    QString workFolder;              // private work copies; set at start-up
    QString autoExportFolder;        // slide export files, inside workFolder; set at start-up
};

// Sets every choice and remembered folder back to its default. The work paths are left as
// they are: start-up computes them after the reset.
void ResetSettings(AppSettings& settings);

// Names the program for the desktop and for screen readers (the organisation "Kestrovia", the
// application "Vimbrelcastor"). The profile store keeps its own place (skin/ProfileStore.h).
// Called once at the start, in the window and in batch mode alike.
void NameProfileStore();
