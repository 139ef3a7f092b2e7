#include "slides/SlideExporter.h"

#include "skin/MessageIds.h"
#include "skin/Prompter.h"
#include "slides/SlideImport.h"

SlideExporter::SlideExporter(std::unique_ptr<PresentationBackend> backend, QString presentationPath,
                             QString exportFolder)
    : backend_(std::move(backend)),
      presentationPath_(std::move(presentationPath)),
      exportFolder_(std::move(exportFolder)) {}

SlideExporter::~SlideExporter() {
    EndPresentation();
}

bool SlideExporter::OpenPresentation(Prompter& prompter) {
    switch (backend_->Open(presentationPath_, exportFolder_)) {
        case PresentationBackend::OpenResult::NotInstalled:
            prompter.Info(msg::PresentationAppMissing);
            return false;
        case PresentationBackend::OpenResult::Refused:
            TellRefusedPresentation(presentationPath_, prompter);
            return false;
        case PresentationBackend::OpenResult::Opened:
            break;
    }
    open_ = true;
    slideCount_ = backend_->SlideCount();
    return true;
}

void SlideExporter::EndPresentation() {
    if (!open_) return;
    open_ = false;
    backend_->Close();
}
