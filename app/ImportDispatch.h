#pragma once

#include <QString>
#include <QStringList>

// Decides what each imported path is and walks folders. Types go by the last characters of
// the full path, without regard to case: ".JPG", ".JPEG", ".JPE", ".PNG", ".BMP", ".TIF",
// ".TIFF", ".HEIC", ".HEIF", ".AVIF" and ".WEBP" are images, ".PPT", ".PPTX" and ".ODP"
// presentations; everything else is passed over. Folders are not searched recursively and are read
// sorted by name. A symbolic link to a folder imports that folder; a link to an image loads the
// image under the target's name; a link to anything else is passed over. What looks like an image
// or a presentation but cannot be taken (a dangling link or a loop, a device or pipe, a name that
// cannot be opened) is reported to the sink with its reason, as is a path given by itself that is
// not taken. No widgets: the window's imports and the batch run feed it their own sink. Thread of
// the working list.

enum class PathKind { Image, Presentation, Other };

PathKind KindOfPath(const QString& path);

// The image types above as a file picker's name patterns ("*.jpg", ...), in lower case: the
// picker matches them without regard to case.
QStringList ImageTypePatterns();

// Why a path was not imported.
enum class SkipReason {
    NotFound,        // a path given by itself that names nothing
    NotImageType,    // a path given by itself whose type is neither image nor presentation
    DanglingLink,    // a symbolic link that leads nowhere, or a loop of links
    NotRegularFile,  // a device, a pipe, a socket (or a link to one)
    UnreadableName,  // a name in a folder that this system cannot spell back (not UTF-8)
};

enum class ImportMode { Count, Load };

// Where a load pass puts what it finds.
class ImportSink {
public:
    virtual ~ImportSink() = default;
    // One step of the progress bar, before each image or presentation; false when the user
    // asked to stop.
    virtual bool StepProgress() = 0;
    virtual void LoadImage(const QString& path) = 0;
    virtual void QueuePresentation(const QString& path) = 0;
    // The working list refused an image because it is full: the listing stops.
    virtual bool ListFull() const = 0;
    // A path that was not imported, and why (load mode only).
    virtual void Skipped(const QString& path, SkipReason reason) {
        Q_UNUSED(path);
        Q_UNUSED(reason);
    }
};

// The words for a reason, in the program's language ("a link that leads nowhere").
QString SkipReasonText(SkipReason reason);

// Imports one path: a file, a folder, or a link to one of them. Every image met adds one to
// counter, in both modes; presentations are not counted. In load mode images go to the sink
// and presentations to its queue. False when the user stopped the import (load mode only).
bool ImportPath(const QString& path, int& counter, ImportMode mode, ImportSink* sink);
