#pragma once

#include <QString>

// Decides what each imported path is and walks folders. Types go by the last characters of
// the full path, without regard to case: ".JPG", ".PNG", ".BMP", ".TIF" are images, ".PPT",
// ".PPTX" and ".ODP" presentations; everything else (".jpeg" too) is passed over in silence.
// Folders are not searched recursively and are read sorted by name. A symbolic link to a
// folder imports that folder; a link to an image loads the image under the target's name;
// a link to anything else, a dangling link and a loop are passed over. No widgets: the
// window's imports and the batch run feed it their own sink. Thread of the working list.

enum class PathKind { Image, Presentation, Other };

PathKind KindOfPath(const QString& path);

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
};

// Imports one path: a file, a folder, or a link to one of them. Every image met adds one to
// counter, in both modes; presentations are not counted. In load mode images go to the sink
// and presentations to its queue. False when the user stopped the import (load mode only).
bool ImportPath(const QString& path, int& counter, ImportMode mode, ImportSink* sink);
