#pragma once

#include <QString>
#include <memory>

#include "slides/PresentationBackend.h"

class Prompter;

// One presentation import's link to the presentation program: the file, the export folder,
// the slide being processed and the slide count. Created by the import command, opened,
// handed to the slide import run, ended and destroyed. GUI thread.
class SlideExporter {
public:
    SlideExporter(std::unique_ptr<PresentationBackend> backend, QString presentationPath,
                  QString exportFolder);
    ~SlideExporter();

    // True when the presentation is open and SlideCount holds its slide count. False after
    // the reason was shown: 115 when no presentation program is there, 133 (with the path)
    // when it refuses the file.
    bool OpenPresentation(Prompter& prompter);
    // Closes the presentation (once; later calls do nothing).
    void EndPresentation();

    const QString& presentationPath() const { return presentationPath_; }
    const QString& exportFolder() const { return exportFolder_; }
    int slideCount() const { return slideCount_; }
    int currentSlide = 0;
    PresentationBackend& backend() { return *backend_; }

private:
    std::unique_ptr<PresentationBackend> backend_;
    QString presentationPath_;
    QString exportFolder_;
    int slideCount_ = 0;
    bool open_ = false;
};
