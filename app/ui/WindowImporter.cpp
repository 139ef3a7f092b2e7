#include "app/ui/WindowImporter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

#include "app/ImportDispatch.h"
#include "app/ui/CCustomFileDialog.h"
#include "app/ui/ImportQueue.h"
#include "app/ui/WindowImport.h"
#include "core/AppSettings.h"
#include "core/WorkFolders.h"
#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/UiTexts.h"
#include "slides/PresentationBackend.h"
#include "slides/SlideExporter.h"
#include "slides/SlideImport.h"
#include "slides/ui/ImportProgressDialog.h"
#include "thumbs/ui/CThumbView.h"

WindowImporter::WindowImporter(QWidget* window, CThumbView& view, WorkingList& list,
                               ImageLoader& loader, Prompter& prompter, const WorkSpace& workSpace,
                               AppSettings& settings, bool& unsavedChanges, ImportQueue& queue)
    : window_(window),
      view_(view),
      list_(list),
      loader_(loader),
      prompter_(prompter),
      workSpace_(workSpace),
      settings_(settings),
      unsavedChanges_(unsavedChanges),
      queue_(queue) {}

WindowImport WindowImporter::StartImport(ImportProgressDialog& progress, int steps) {
    progress.Start(steps);
    progress.show();
    list_.setListFull(false);
    return WindowImport(
        loader_, unsavedChanges_, [this](const QString& path) { queue_.QueuePresentation(path); },
        &progress);
}

void WindowImporter::ImportPaths(const QStringList& paths) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int counter = 0;
    for (const QString& path : paths) ImportPath(path, counter, ImportMode::Count, nullptr);
    ImportProgressDialog progress(msg::LoadingTitle, window_);
    WindowImport sink = StartImport(progress, counter);
    for (const QString& path : paths) {
        if (!workSpace_.CheckWorkSpace(prompter_)) break;
        int loaded = 0;
        if (!ImportPath(path, loaded, ImportMode::Load, &sink)) break;
        if (list_.listFull()) break;
    }
    progress.hide();
    sink.TellSkipped(prompter_);
    view_.Relayout(true);
    QApplication::restoreOverrideCursor();
    view_.setFocus(Qt::OtherFocusReason);
}

void WindowImporter::ImportFiles(const QStringList& files) {
    // Files picked by name go to the loader as they are, whatever their extension.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ImportProgressDialog progress(msg::LoadingTitle, window_);
    WindowImport sink = StartImport(progress, int(files.size()));
    for (const QString& file : files) {
        if (!workSpace_.CheckWorkSpace(prompter_)) break;
        if (!sink.StepProgress()) break;
        sink.LoadImage(file);
        if (sink.ListFull()) break;
        settings_.lastImageFolder = QFileInfo(file).path();
    }
    progress.hide();
    QApplication::restoreOverrideCursor();
}

bool WindowImporter::ImportPresentation(const QString& path) {
    if (!ReadyForPresentation(path, settings_, workSpace_, prompter_)) return false;
    // The progress window shows from the start, busy until the slide count is known: the
    // conversion itself takes a while.
    ImportProgressDialog progress(UiTexts::Text("import.slides_title"), window_);
    progress.Start(0);
    progress.ShowItem(0, 0, QFileInfo(path).fileName());
    progress.show();
    SlideExporter exporter(MakePresentationBackend(settings_, path), path,
                           settings_.autoExportFolder);
    const bool imported = exporter.OpenPresentation(prompter_);
    if (imported) {
        window_->activateWindow();
        WindowSlideProgress slideProgress(progress, QFileInfo(path).fileName());
        SlideImportContext context{exporter,  loader_,         list_,         workSpace_,
                                   prompter_, unsavedChanges_, &slideProgress};
        ImportSlides(context);
        view_.Relayout(true);
        window_->repaint();
    }
    progress.hide();
    view_.setFocus(Qt::OtherFocusReason);
    return imported;
}

void WindowImporter::PickPresentation() {
    QFileDialog dialog(window_, UiTexts::Text("button.import_slide"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    // The program reads .pptx, .odp and PDF as well as .ppt.
    dialog.setNameFilter(CCustomFileDialog::QtFilter(Messages::Load(msg::PresentationFilter),
                                                     QStringLiteral("*.pptx *.odp *.pdf")));
    if (!settings_.lastPresentationFolder.isEmpty()) {
        dialog.setDirectory(settings_.lastPresentationFolder);
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString path = dialog.selectedFiles().first();
        settings_.lastPresentationFolder = QFileInfo(path).path();
        queue_.QueuePresentation(path);
    }
}

void WindowImporter::PickImages() {
    CCustomFileDialog dialog(settings_.lastImageFolder, window_);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted && !dialog.chosenFolder().isEmpty()) {
        // "Load All": the folder the dialog shows, imported as a drop of that folder.
        if (workSpace_.CheckWorkSpace(prompter_)) {
            settings_.lastImageFolder = dialog.chosenFolder();
            ImportPaths({dialog.chosenFolder()});
        }
    } else if (accepted) {
        ImportFiles(dialog.selectedFiles());
    }
    view_.Relayout(true);
}
