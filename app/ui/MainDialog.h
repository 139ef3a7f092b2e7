#pragma once

#include <QList>
#include <QStringList>
#include <functional>
#include <memory>

#include "card/CardCheck.h"
#include "card/Destination.h"
#include "core/WorkingList.h"
#include "skin/ui/ResizableDialog.h"

struct AppSettings;
class CThumbView;
class DestinationChoice;
class ImageLoader;
class ImportQueue;
class SlideExporter;
class ColorStatic;
class MenuBarButton;
class OwnerDrawMenu;
class Prompter;
class RehearsalCommand;
class SkinButton;
class WindowImporter;
class WorkSpace;

// The program's only top-level window: the import buttons, the destination choice, Convert
// and Save, the three menu buttons, and the thumbnail view of the working list. It routes
// every command, filters the keyboard, runs the imports its queue starts (ImportQueue), and
// asks before it closes while images are unsaved. Owns the working list. GUI thread.
class MainDialog : public ResizableDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 102;

    // prompter: the boxes of the window when null (tests pass a scripted one).
    MainDialog(AppSettings& settings, const WorkSpace& workSpace, Prompter* prompter = nullptr,
               QWidget* parent = nullptr);
    ~MainDialog() override;

    // Paths given on the command line, or handed over by a later start: each list is imported
    // as a drop, in turn, by the queue.
    void QueueStartupPaths(const QStringList& paths);
    void QueuePresentation(const QString& path);
    ImportQueue& importQueue() { return *queue_; }

    WorkingList& list() { return list_; }
    ImageLoader& loader() { return *loader_; }
    Prompter& prompter() { return *prompter_; }
    AppSettings& settings() { return settings_; }
    bool unsavedChanges() const { return unsavedChanges_; }
    void setUnsavedChanges(bool unsaved) { unsavedChanges_ = unsaved; }
    QWidget* thumbView() const;
    CThumbView* view() const { return view_; }
    RehearsalCommand& rehearsal() const { return *rehearsal_; }

    // Where the destination dialog's drives come from (tests give their own folders).
    void SetDriveLister(std::function<QList<Drive>()> lister);

    // The commands; each ends by giving the focus back to the view (but Preferences and the
    // other-folder radio).
public Q_SLOTS:
    void ImportSlideCommand();
    void ImportFileCommand();
    void ConvertAndSaveCommand();
    void ExitCommand();
    void PreferencesCommand();
    void AboutCommand();
    void ChooseDestination();
    void CardDestinationCommand();
    void OtherFolderCommand();
    void LaunchCompanion();
    void DeleteSlideCommand();
    void SelectAllCommand();
    // Undoes the last deletion or move in the grid.
    void UndoCommand();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void reject() override;

private:
    // The controls in the order a screen reader meets them: the left column, the menu bar,
    // the grid with the count under it.
    void BuildControls();
    void BuildMenuBar();
    void BuildGrid();
    void BuildMenus();
    void BuildShortcuts();
    void PopUpMenu(MenuBarButton* button, OwnerDrawMenu* menu);
    void FocusView();
    // Enter by focus: the focused command button runs its command.
    bool RouteEnter();
    bool IsOurs(QObject* watched) const;

    AppSettings& settings_;
    const WorkSpace& workSpace_;
    std::unique_ptr<Prompter> ownPrompter_;
    Prompter* prompter_;
    WorkingList list_;
    std::unique_ptr<ImageLoader> loader_;

    SkinButton* importSlide_ = nullptr;
    SkinButton* importFile_ = nullptr;
    SkinButton* convert_ = nullptr;
    SkinButton* companion_ = nullptr;
    SkinButton* close_ = nullptr;
    RehearsalCommand* rehearsal_ = nullptr;
    DestinationChoice* choice_ = nullptr;
    ColorStatic* count_ = nullptr;
    MenuBarButton* fileButton_ = nullptr;
    MenuBarButton* settingsButton_ = nullptr;
    MenuBarButton* aboutButton_ = nullptr;
    OwnerDrawMenu* fileMenu_ = nullptr;
    OwnerDrawMenu* settingsMenu_ = nullptr;
    OwnerDrawMenu* aboutMenu_ = nullptr;
    QWidget* placeholder_ = nullptr;
    CThumbView* view_ = nullptr;

    bool unsavedChanges_ = false;
    ImportQueue* queue_ = nullptr;
    std::unique_ptr<WindowImporter> importer_;
    bool closing_ = false;
    CheckedCards checkedCards_;  // each card is looked at once while the program runs
};
