#pragma once

#include <QStringList>

#include "app/ui/WindowImport.h"

struct AppSettings;
class CThumbView;
class ImageLoader;
class ImportProgressDialog;
class ImportQueue;
class Prompter;
class QWidget;
class WorkSpace;
class WorkingList;

// The main window's imports, each with its progress window over the window: paths as a drop
// does (a drop, Load All, the command line), the images picked by name in the import picker,
// and a presentation's slides; and the two pickers. What an import finds of presentations goes
// to the window's queue. Marks the list unsaved when it adds an image; the grid has the focus
// after an import. Owned by the main window; GUI thread.
class WindowImporter {
public:
    WindowImporter(QWidget* window, CThumbView& view, WorkingList& list, ImageLoader& loader,
                   Prompter& prompter, const WorkSpace& workSpace, AppSettings& settings,
                   bool& unsavedChanges, ImportQueue& queue);

    // Imports paths as a drop does: a count pass for the bar, then each path in order with the
    // free-space check before it, until Cancel or a full list.
    void ImportPaths(const QStringList& paths);
    // Opens a presentation and imports its slides; false when it could not be opened.
    bool ImportPresentation(const QString& path);

    // The presentation picker: the chosen presentation joins the queue.
    void PickPresentation();
    // The image picker: the images picked by name, or the folder it shows with Load All.
    void PickImages();

private:
    void ImportFiles(const QStringList& files);
    // Shows the progress window of an import of steps and gives the sink the import feeds;
    // the list takes images again.
    WindowImport StartImport(ImportProgressDialog& progress, int steps);

    QWidget* window_;
    CThumbView& view_;
    WorkingList& list_;
    ImageLoader& loader_;
    Prompter& prompter_;
    const WorkSpace& workSpace_;
    AppSettings& settings_;
    bool& unsavedChanges_;
    ImportQueue& queue_;
};
