#pragma once

#include <QList>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

#include "card/CardCheck.h"
#include "card/Destination.h"
#include "core/WorkingList.h"
#include "skin/ui/RadioGroup.h"
#include "skin/ui/ResizableDialog.h"

struct AppSettings;
class BitmapRadio;
class CThumbView;
class ImageLoader;
class ImportProgressDialog;
class SlideExporter;
struct SlideImportContext;
class ColorStatic;
class MenuBarButton;
class OwnerDrawMenu;
class Prompter;
class SkinButton;
class WindowImport;
class WorkSpace;

// The program's only top-level window: the import buttons, the destination choice, Convert
// and Save, the three menu buttons, and the thumbnail view of the working list. It routes
// every command, filters the keyboard, drains the queues of pending imports from a 500 ms
// timer, keeps its width, and asks before it closes while images are unsaved. Owns the
// working list. GUI thread.
class MainDialog : public ResizableDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 102;
    static constexpr int kQueueIntervalMs = 500;
    static constexpr int kPresentationPauseMs = 2000;

    // prompter: the boxes of the window when null (tests pass a scripted one).
    MainDialog(AppSettings& settings, const WorkSpace& workSpace, Prompter* prompter = nullptr,
               QWidget* parent = nullptr);
    ~MainDialog() override;

    // Paths given on the command line, or handed over by a later start: each list is imported
    // as a drop, in turn, by the queue timer.
    void QueueStartupPaths(const QStringList& paths);
    void QueuePresentation(const QString& path);

    WorkingList& list() { return list_; }
    ImageLoader& loader() { return *loader_; }
    Prompter& prompter() { return *prompter_; }
    AppSettings& settings() { return settings_; }
    bool unsavedChanges() const { return unsavedChanges_; }
    void setUnsavedChanges(bool unsaved) { unsavedChanges_ = unsaved; }
    QWidget* thumbView() const;
    CThumbView* view() const { return view_; }
    bool importBusy() const { return importBusy_; }
    bool presentationBusy() const { return presentationBusy_; }
    int startupQueueSize() const { return int(startupQueue_.size()); }
    int presentationQueueSize() const { return int(presentationQueue_.size()); }

    // Where the destination dialog's drives come from (tests give their own folders).
    void SetDriveLister(std::function<QList<Drive>()> lister) { driveLister_ = std::move(lister); }

    // The commands; each ends by giving the focus back to the view (but Preferences and the
    // other-folder radio).
public Q_SLOTS:
    virtual void ImportSlideCommand();
    virtual void ImportFileCommand();
    virtual void ConvertAndSaveCommand();
    virtual void ExitCommand();
    virtual void PreferencesCommand();
    virtual void AboutCommand();
    virtual void ChooseDestination();
    void CardDestinationCommand();
    void OtherFolderCommand();
    virtual void LaunchCompanion();
    virtual void DeleteSlideCommand();
    void SelectAllCommand();
    // Undoes the last deletion or move in the grid.
    void UndoCommand();

Q_SIGNALS:
    // A queue import began or ended (for tests and the progress window).
    void importStarted();
    void importFinished();

protected:
    // One start-up queue entry and one presentation; later issues fill them in.
    virtual void ImportStartupEntry(const QStringList& paths);
    virtual bool ImportPresentation(const QString& path);

    // The slide import run of an opened presentation.
    virtual void ImportSlides(SlideImportContext& context);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void reject() override;

private:
    void BuildControls();
    void BuildMenus();
    void BuildShortcuts();
    void OnQueueTimer();
    // Imports paths as a drop does: a count pass for the bar, then each path in order with the
    // free-space check before it, until Cancel or a full list.
    void ImportPaths(const QStringList& paths);
    // Where an import with this progress window puts its images and presentations.
    WindowImport ImportSinkFor(ImportProgressDialog* progress);
    void PopUpMenu(MenuBarButton* button, OwnerDrawMenu* menu);
    void ShowDestination();
    // Asks for the destination when none is chosen yet (the destination dialog for a card,
    // the folder browser after a word for another folder); false when there is still none.
    bool EnsureDestination();
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
    SkinButton* folder_ = nullptr;
    SkinButton* companion_ = nullptr;
    SkinButton* close_ = nullptr;
    BitmapRadio* cardRadio_ = nullptr;
    BitmapRadio* otherRadio_ = nullptr;
    RadioGroup destinationGroup_;
    ColorStatic* destination_ = nullptr;
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
    QList<QStringList> startupQueue_;
    QStringList presentationQueue_;
    bool importBusy_ = false;
    bool presentationBusy_ = false;
    QTimer queueTimer_;
    bool closing_ = false;
    std::function<QList<Drive>()> driveLister_;
    CheckedCards checkedCards_;  // each card is looked at once while the program runs
};
