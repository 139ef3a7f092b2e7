#include "app/ui/MainDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QShortcut>

#include "app/CommandLine.h"
#include "app/Companion.h"
#include "app/ImportDispatch.h"
#include "app/ui/AboutDialog.h"
#include "app/ui/CCustomFileDialog.h"
#include "app/ui/PreferencesDialog.h"
#include "app/ui/SplashWindow.h"
#include "app/ui/WindowImport.h"
#include "card/Destination.h"
#include "card/ui/ConvertSaveDialog.h"
#include "card/ui/DestinationDialog.h"
#include "core/AppSettings.h"
#include "core/WaitWithEvents.h"
#include "core/WorkFolders.h"
#include "imaging/ImageLoader.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/UiTexts.h"
#include "skin/ui/Accessibility.h"
#include "skin/ui/BitmapRadio.h"
#include "skin/ui/BoxPrompter.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/MenuBarButton.h"
#include "skin/ui/OwnerDrawMenu.h"
#include "skin/ui/SkinArt.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinConstants.h"
#include "skin/ui/SkinPicture.h"
#include "slides/PresentationBackend.h"
#include "slides/SlideExporter.h"
#include "slides/SlideImport.h"
#include "slides/ui/ImportProgressDialog.h"
#include "thumbs/Selection.h"
#include "thumbs/ui/CThumbView.h"

namespace {

// Where the controls sit, in pixels of the 765-pixel-wide window.
constexpr QRect kImportPanel{10, 58, 230, 168};
constexpr QRect kDestinationPanel{10, 232, 230, 157};
constexpr QPoint kPresentationLabel{24, 68};
constexpr QPoint kImportSlide{63, 92};
constexpr QPoint kImagesLabel{24, 142};
constexpr QPoint kImportFile{63, 166};
constexpr QRect kCardRadio{22, 244, 206, 22};
constexpr QRect kOtherRadio{22, 270, 206, 22};
constexpr QRect kDestinationText{22, 298, 180, 42};
constexpr QPoint kFolder{207, 298};
constexpr QPoint kConvert{63, 350};
constexpr QPoint kCompanion{18, 398};
constexpr QRect kView{248, 58, 509, 432};
constexpr QPoint kClose{628, 500};
constexpr QRect kCount{252, 504, 360, 20};  // left of Close, under the grid
constexpr int kMenuLeft = 10;
constexpr int kMenuTop = 31;
constexpr int kWindowHeight = 540;

}  // namespace

MainDialog::MainDialog(AppSettings& settings, const WorkSpace& workSpace, Prompter* prompter,
                       QWidget* parent)
    : ResizableDialog(kTemplateId, parent),
      settings_(settings),
      workSpace_(workSpace),
      ownPrompter_(prompter ? nullptr : std::make_unique<BoxPrompter>()),
      prompter_(prompter ? prompter : ownPrompter_.get()),
      loader_(std::make_unique<ImageLoader>(list_, *prompter_, settings.workFolder)) {
    setObjectName(QStringLiteral("mainDialog"));
    SetTitlePictures(skin::kMainWindowTitle);
    SetTitleFromString(msg::WindowTitle);
    AddMinimiseButton();
    AddCloseButton();
    setWindowIcon(SkinArt::ProgramIcon());
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(skin::kPanelBackground));
    setPalette(colours);

    // Files are examined and copied on a worker while the window keeps handling its events: a
    // file held up by the disk during a large import does not freeze it.
    loader_->SetRunner(
        [](const std::function<ImageLoader::Examined()>& work) { return RunWithEvents(work); });
    BuildControls();
    BuildMenus();
    BuildShortcuts();
    ShowDestination();
    setAcceptDrops(true);

    // It opens as wide as its title picture; wider, the grid takes more columns.
    resize(width(), kWindowHeight);
    setMinimumSize(width(), kWindowHeight);
    InitialiseSize();

    qApp->installEventFilter(this);
    connect(&queueTimer_, &QTimer::timeout, this, &MainDialog::OnQueueTimer);
    queueTimer_.start(kQueueIntervalMs);
    FocusView();
}

MainDialog::~MainDialog() {
    qApp->removeEventFilter(this);
}

void MainDialog::BuildControls() {
    const QColor panel(skin::kPanelBackground);
    for (const auto& [rect, id] :
         {std::pair{kImportPanel, 267}, std::pair{kDestinationPanel, 268}}) {
        auto* picture = new SkinPicture(id, this);
        picture->move(rect.topLeft());
    }
    const auto label = [&](const char* key, QPoint at) {
        auto* text = new ColorStatic(Qt::black, panel, this);
        text->setText(UiTexts::Text(key));
        text->move(at);
        text->resize(200, 18);
        return text;
    };
    label("main.label.presentation", kPresentationLabel);
    label("main.label.images", kImagesLabel);

    const auto button = [&](const char* name, const skin::ButtonBitmaps& bitmaps, QPoint at,
                            void (MainDialog::*command)()) {
        auto* b = new SkinButton(this);
        b->setObjectName(QLatin1String(name));
        b->Setup(bitmaps);
        b->move(at);
        b->setFocusPolicy(Qt::StrongFocus);
        connect(b, &QAbstractButton::clicked, this, command);
        return b;
    };
    importSlide_ = button("importSlide", skin::kImportSlideButton, kImportSlide,
                          &MainDialog::ImportSlideCommand);
    importFile_ =
        button("importFile", skin::kImportFileButton, kImportFile, &MainDialog::ImportFileCommand);
    folder_ = button("folder", skin::kFolderButton, kFolder, &MainDialog::ChooseDestination);
    folder_->setText(UiTexts::Text("main.button.folder"));
    convert_ =
        button("convert", skin::kConvertButton, kConvert, &MainDialog::ConvertAndSaveCommand);
    companion_ =
        button("companion", skin::kCompanionButton, kCompanion, &MainDialog::LaunchCompanion);
    // Shipped hidden: the command stays reachable for a build that shows it.
    companion_->hide();
    companion_->setEnabled(false);
    close_ = button("closeButton", skin::kCloseButton, kClose, &MainDialog::ExitCommand);

    // The two radios are one choice, and a screen reader hears them as one group.
    auto* radios =
        new AccessibleGroup(QAccessible::Grouping, UiTexts::Text("main.group.destination"), this);
    radios->setObjectName(QStringLiteral("destinationChoice"));
    radios->setGeometry(kCardRadio.united(kOtherRadio));
    cardRadio_ = new BitmapRadio(skin::kMainWindowRadio, panel, radios);
    cardRadio_->setObjectName(QStringLiteral("cardRadio"));
    cardRadio_->setText(UiTexts::Text("main.radio.card"));
    cardRadio_->setGeometry(kCardRadio.translated(-radios->pos()));
    otherRadio_ = new BitmapRadio(skin::kMainWindowRadio, panel, radios);
    otherRadio_->setObjectName(QStringLiteral("otherRadio"));
    otherRadio_->setText(UiTexts::Text("main.radio.other"));
    otherRadio_->setGeometry(kOtherRadio.translated(-radios->pos()));
    destinationGroup_.Add(cardRadio_);
    destinationGroup_.Add(otherRadio_);
    connect(cardRadio_, &QAbstractButton::clicked, this, &MainDialog::CardDestinationCommand);
    connect(otherRadio_, &QAbstractButton::clicked, this, &MainDialog::OtherFolderCommand);

    destination_ = new ColorStatic(Qt::black, panel, this);
    destination_->setObjectName(QStringLiteral("destination"));
    destination_->setGeometry(kDestinationText);
    destination_->setWordWrap(true);

    // The menu buttons stand in a strip that a screen reader hears as the menu bar.
    auto* menuBar = new AccessibleGroup(QAccessible::MenuBar, QString(), this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    menuBar->move(kMenuLeft, kMenuTop);
    const auto menuButton = [&](const char* name, const char* key, int x) {
        auto* b = new MenuBarButton(UiTexts::Text(key), menuBar);
        b->setObjectName(QLatin1String(name));
        b->move(x, 0);
        b->resize(b->sizeHint());
        return b;
    };
    fileButton_ = menuButton("fileMenuButton", "main.button.file", 0);
    settingsButton_ = menuButton("settingsMenuButton", "main.button.settings",
                                 fileButton_->geometry().right() + 4);
    aboutButton_ =
        menuButton("aboutMenuButton", "main.button.about", settingsButton_->geometry().right() + 4);
    menuBar->resize(aboutButton_->geometry().right() + 1, aboutButton_->height());

    // The placeholder keeps the view's place; the view is made over its rectangle.
    placeholder_ = new QGroupBox(QStringLiteral("View"), this);
    placeholder_->setGeometry(kView);
    placeholder_->hide();
    view_ = new CThumbView(list_, *prompter_, this);
    view_->setGeometry(kView);

    // How many images the list holds, under the grid.
    count_ = new ColorStatic(Qt::black, panel, this);
    count_->setObjectName(QStringLiteral("count"));
    count_->setGeometry(kCount);
    const auto showCount = [this] {
        count_->setText(list_.isEmpty()      ? UiTexts::Text("main.count.none")
                        : list_.count() == 1 ? UiTexts::Text("main.count.one")
                                             : UiTexts::Text("main.count.many").arg(list_.count()));
    };
    connect(&list_, &QAbstractItemModel::rowsInserted, count_, showCount);
    connect(&list_, &QAbstractItemModel::rowsRemoved, count_, showCount);
    connect(&list_, &QAbstractItemModel::modelReset, count_, showCount);
    showCount();

    AddAnchor(placeholder_, StretchRight | StretchDown);
    AddAnchor(view_, StretchRight | StretchDown);
    AddAnchor(close_, MoveRight | MoveDown);
    AddAnchor(count_, MoveDown);

    // Tab follows the window as it reads: the menu buttons along the top, the left column from
    // top to bottom, the view, then Close at the bottom-right.
    const QList<QWidget*> order{fileButton_, settingsButton_, aboutButton_, importSlide_,
                                importFile_, cardRadio_,      otherRadio_,  folder_,
                                convert_,    view_,           close_};
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void MainDialog::BuildMenus() {
    const auto item = [](OwnerDrawMenu* menu, const char* key, MainDialog* receiver,
                         void (MainDialog::*command)()) {
        QAction* action = menu->addAction(UiTexts::Text(key));
        QObject::connect(action, &QAction::triggered, receiver, command);
        return action;
    };
    fileMenu_ = new OwnerDrawMenu(this);
    item(fileMenu_, "menu.file.import_slide", this, &MainDialog::ImportSlideCommand);
    item(fileMenu_, "menu.file.import_file", this, &MainDialog::ImportFileCommand);
    fileMenu_->addSeparator();
    item(fileMenu_, "menu.file.convert", this, &MainDialog::ConvertAndSaveCommand);
    fileMenu_->addSeparator();
    item(fileMenu_, "menu.file.close", this, &MainDialog::ExitCommand);
    settingsMenu_ = new OwnerDrawMenu(this);
    item(settingsMenu_, "menu.settings.preferences", this, &MainDialog::PreferencesCommand);
    aboutMenu_ = new OwnerDrawMenu(this);
    item(aboutMenu_, "menu.about.about", this, &MainDialog::AboutCommand);

    fileButton_->SetMenu(fileMenu_);
    settingsButton_->SetMenu(settingsMenu_);
    aboutButton_->SetMenu(aboutMenu_);
    connect(fileButton_, &QAbstractButton::clicked, this,
            [this] { PopUpMenu(fileButton_, fileMenu_); });
    connect(settingsButton_, &QAbstractButton::clicked, this,
            [this] { PopUpMenu(settingsButton_, settingsMenu_); });
    connect(aboutButton_, &QAbstractButton::clicked, this,
            [this] { PopUpMenu(aboutButton_, aboutMenu_); });
}

void MainDialog::BuildShortcuts() {
    const auto shortcut = [this](QKeySequence keys, void (MainDialog::*command)()) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, command);
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_I), &MainDialog::ImportSlideCommand);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_O), &MainDialog::ImportFileCommand);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_S), &MainDialog::ConvertAndSaveCommand);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_X), &MainDialog::ExitCommand);
    // Delete reaches the view's "Delete slide" and Ctrl+A selects every image, as users of
    // any list expect.
    shortcut(QKeySequence(Qt::Key_Delete), &MainDialog::DeleteSlideCommand);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_A), &MainDialog::SelectAllCommand);
    shortcut(QKeySequence::Undo, &MainDialog::UndoCommand);
}

void MainDialog::QueueStartupPaths(const QStringList& arguments) {
    QStringList paths = arguments;
    paths.removeIf(IsAutomationSwitch);
    if (!paths.isEmpty()) startupQueue_.append(paths);
}

void MainDialog::QueuePresentation(const QString& path) {
    presentationQueue_.append(path);
}

void MainDialog::OnQueueTimer() {
    // Command-line entries come before any presentation; each tick starts at most one
    // import. Nothing starts while another window waits for an answer or shows progress
    // (their loops let the timer fire): an import of files or a drop still running, a
    // dialog or a message box open over the list.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != this) return;
    if (!startupQueue_.isEmpty() && !presentationBusy_ && !importBusy_) {
        importBusy_ = true;
        Q_EMIT importStarted();
        ImportStartupEntry(startupQueue_.takeFirst());
        importBusy_ = false;
        Q_EMIT importFinished();
    }
    if (startupQueue_.isEmpty() && !importBusy_ && !presentationQueue_.isEmpty() &&
        !presentationBusy_) {
        presentationBusy_ = true;
        Q_EMIT importStarted();
        const bool imported = ImportPresentation(presentationQueue_.takeFirst());
        Q_EMIT importFinished();
        if (!imported) {
            presentationBusy_ = false;
            return;
        }
        // A pause after a presentation, without freezing the window.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QTimer::singleShot(kPresentationPauseMs, this, [this] {
            QApplication::restoreOverrideCursor();
            presentationBusy_ = false;
        });
    }
}

void MainDialog::ImportPaths(const QStringList& paths) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int counter = 0;
    for (const QString& path : paths) ImportPath(path, counter, ImportMode::Count, nullptr);
    ImportProgressDialog progress(msg::LoadingTitle, this);
    progress.Start(counter);
    progress.show();
    list_.setListFull(false);
    WindowImport sink = ImportSinkFor(&progress);
    for (const QString& path : paths) {
        if (!workSpace_.CheckWorkSpace(*prompter_)) break;
        int loaded = 0;
        if (!ImportPath(path, loaded, ImportMode::Load, &sink)) break;
        if (list_.listFull()) break;
    }
    progress.hide();
    sink.TellSkipped(*prompter_);
    view_->Relayout(true);
    QApplication::restoreOverrideCursor();
    FocusView();
}

WindowImport MainDialog::ImportSinkFor(ImportProgressDialog* progress) {
    return WindowImport(
        *loader_, unsavedChanges_, [this](const QString& path) { QueuePresentation(path); },
        progress);
}

void MainDialog::ImportStartupEntry(const QStringList& paths) {
    ImportPaths(paths);
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainDialog::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
    }
    event->acceptProposedAction();
    if (paths.isEmpty()) return;
    activateWindow();
    ImportPaths(paths);
}

bool MainDialog::ImportPresentation(const QString& path) {
    if (!ReadyForPresentation(path, settings_, workSpace_, *prompter_)) return false;
    // The progress window shows from the start, busy until the slide count is known: the
    // conversion itself takes a while.
    ImportProgressDialog progress(UiTexts::Text("import.slides_title"), this);
    progress.Start(0);
    progress.ShowItem(0, 0, QFileInfo(path).fileName());
    progress.show();
    SlideExporter exporter(MakePresentationBackend(settings_, path), path,
                           settings_.autoExportFolder);
    const bool imported = exporter.OpenPresentation(*prompter_);
    if (imported) {
        activateWindow();
        WindowSlideProgress slideProgress(progress, QFileInfo(path).fileName());
        SlideImportContext context{exporter,   *loader_,        list_,         workSpace_,
                                   *prompter_, unsavedChanges_, &slideProgress};
        ImportSlides(context);
        view_->Relayout(true);
        repaint();
    }
    progress.hide();
    FocusView();
    return imported;
}

void MainDialog::ImportSlides(SlideImportContext& context) {
    ::ImportSlides(context);
}

void MainDialog::ImportSlideCommand() {
    QFileDialog dialog(this, UiTexts::Text("button.import_slide"));
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
        QueuePresentation(path);
    }
    FocusView();
}

void MainDialog::ImportFileCommand() {
    CCustomFileDialog dialog(settings_.lastImageFolder, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted && !dialog.chosenFolder().isEmpty()) {
        // "Load All": the folder the dialog shows, imported as a drop of that folder.
        if (workSpace_.CheckWorkSpace(*prompter_)) {
            settings_.lastImageFolder = dialog.chosenFolder();
            ImportPaths({dialog.chosenFolder()});
        }
    } else if (accepted) {
        // Files picked by name go to the loader as they are, whatever their extension.
        const QStringList files = dialog.selectedFiles();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ImportProgressDialog progress(msg::LoadingTitle, this);
        progress.Start(int(files.size()));
        progress.show();
        list_.setListFull(false);
        WindowImport sink = ImportSinkFor(&progress);
        for (const QString& file : files) {
            if (!workSpace_.CheckWorkSpace(*prompter_)) break;
            if (!sink.StepProgress()) break;
            sink.LoadImage(file);
            if (sink.ListFull()) break;
            settings_.lastImageFolder = QFileInfo(file).path();
        }
        progress.hide();
        QApplication::restoreOverrideCursor();
    }
    view_->Relayout(true);
    FocusView();
}

void MainDialog::ConvertAndSaveCommand() {
    if (list_.isEmpty()) {
        prompter_->Info(msg::NoImages);
        FocusView();
        return;
    }
    // A card always gets the Exif block and thumbnails; the user confirms when an option
    // says otherwise.
    if (settings_.cardFlag) {
        if (!settings_.exifOption && !prompter_->Confirm(msg::ConfirmDcf)) return FocusView();
        if (!settings_.thumbnailOption && !prompter_->Confirm(msg::ConfirmThumbnail)) {
            return FocusView();
        }
    }
    view_->PauseRenderer();
    if (!EnsureDestination()) {
        view_->ResumeRenderer();
        return FocusView();
    }
    ConvertSettings convert;
    convert.formatIndex = settings_.formatIndex;
    convert.qualityPosition = settings_.qualityPosition;
    convert.sizeIndex = settings_.sizeIndex;
    convert.cardFlag = settings_.cardFlag;
    convert.exifOption = settings_.exifOption;
    convert.thumbnailOption = settings_.thumbnailOption;
    convert.destination = settings_.cardFlag ? settings_.cardFolder : settings_.otherFolder;
    {
        ConvertSaveDialog dialog(list_, convert, *prompter_, unsavedChanges_,
                                 settings_.lastDestination, this);
        dialog.CheckCardOnce(checkedCards_);
        dialog.exec();
        settings_.sizeIndex = dialog.sizeIndex();
        settings_.formatIndex = dialog.formatIndex();
    }
    view_->ResumeRenderer();
    FocusView();
}

bool MainDialog::EnsureDestination() {
    // Without a destination nothing could be written: the user chooses one first, and without
    // one the convert dialog does not open.
    if (settings_.cardFlag) {
        if (settings_.cardFolder.isEmpty()) ChooseDestination();
        return !settings_.cardFolder.isEmpty();
    }
    if (settings_.otherFolder.isEmpty()) {
        prompter_->Plain(UiTexts::Text("convert.no_folder"));
        ChooseDestination();
    }
    return !settings_.otherFolder.isEmpty();
}

void MainDialog::ExitCommand() {
    if (unsavedChanges_ && !list_.isEmpty() && !prompter_->Confirm(msg::ExitWithoutSaving)) {
        return;
    }
    FocusView();
    closing_ = true;
    accept();
}

void MainDialog::PreferencesCommand() {
    PreferencesDialog dialog(settings_.exifOption, settings_.thumbnailOption,
                             settings_.qualityPosition, this);
    if (dialog.exec() != QDialog::Accepted) return;
    settings_.exifOption = dialog.dcfOption();
    settings_.thumbnailOption = dialog.thumbnailOption();
    settings_.qualityPosition = dialog.qualityPosition();
}

void MainDialog::AboutCommand() {
    AboutDialog about(this);
    about.exec();
    FocusView();
}

void MainDialog::ChooseDestination() {
    if (cardRadio_->isChecked()) {
        const DestinationDialog::DriveLister lister =
            driveLister_ ? driveLister_ : DestinationDialog::DriveLister(ListDrives);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const QList<Drive> drives = lister();
        QApplication::restoreOverrideCursor();
        // A program run from a card proposes that card, as it proposed its own drive.
        const QString own = ProposedCardDrive(drives, QCoreApplication::applicationFilePath());
        if (!own.isEmpty()) settings_.cardDrive = own;
        DestinationDialog dialog(lister, settings_.cardDrive, *prompter_, this);
        if (dialog.exec() == QDialog::Accepted) {
            settings_.cardFolder = dialog.chosenFolder();
            settings_.cardDrive = dialog.driveText();
            ShowDestination();
        }
    } else {
        const QString folder = QFileDialog::getExistingDirectory(
            this, Messages::Load(msg::SelectDestinationFolder), settings_.otherFolder,
            QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        if (!folder.isEmpty()) {
            settings_.otherFolder = folder;
            ShowDestination();
        }
    }
    FocusView();
}

void MainDialog::CardDestinationCommand() {
    settings_.cardFlag = true;
    ShowDestination();
    ChooseDestination();
}

void MainDialog::OtherFolderCommand() {
    settings_.cardFlag = false;
    ShowDestination();
}

void MainDialog::LaunchCompanion() {
    ::LaunchCompanion(settings_.lastDestination, *prompter_);
    FocusView();
}

void MainDialog::DeleteSlideCommand() {
    if (thumbs::AnySelected(list_)) view_->DeleteSelectedCommand();
    FocusView();
}

void MainDialog::SelectAllCommand() {
    view_->SelectAllCommand();
}

void MainDialog::UndoCommand() {
    view_->UndoCommand();
    FocusView();
}

void MainDialog::ShowDestination() {
    (settings_.cardFlag ? cardRadio_ : otherRadio_)->SetState(BitmapRadio::Checked);
    if (settings_.cardFlag) {
        destination_->setText(settings_.cardFolder.isEmpty()
                                  ? Messages::Load(msg::SelectDestinationDrive)
                                  : settings_.cardFolder);
    } else {
        destination_->setText(settings_.otherFolder.isEmpty() ? UiTexts::Text("main.no_folder")
                                                              : settings_.otherFolder);
    }
}

void MainDialog::PopUpMenu(MenuBarButton* button, OwnerDrawMenu* menu) {
    menu->exec(button->mapToGlobal(button->rect().bottomLeft()));
    FocusView();
}

QWidget* MainDialog::thumbView() const {
    return view_;
}

void MainDialog::FocusView() {
    if (view_) view_->setFocus(Qt::OtherFocusReason);
}

bool MainDialog::IsOurs(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == this;
}

bool MainDialog::RouteEnter() {
    const QWidget* focus = focusWidget();
    if (focus == convert_) {
        ConvertAndSaveCommand();
    } else if (focus == importFile_) {
        ImportFileCommand();
    } else if (focus == importSlide_) {
        ImportSlideCommand();
    } else if (focus == close_) {
        ExitCommand();
    }
    return true;  // any other focus: Enter does nothing
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::ShortcutOverride && SplashWindow::Current() && IsOurs(watched)) {
        // Taken by the key press instead of a shortcut, so that it only ends the picture.
        event->accept();
        return true;
    }
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress) return false;
    if (!IsOurs(watched)) return false;
    // The key or click that ends the start-up picture does nothing else.
    if (SplashWindow* splash = SplashWindow::Current()) {
        splash->End();
        return true;
    }
    if (type != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    if (modifiers & Qt::AltModifier) return false;  // Alt+letter opens the menus
    switch (key->key()) {
        case Qt::Key_Escape:
        case Qt::Key_A:
        case Qt::Key_F:
            return true;
        case Qt::Key_S:
        case Qt::Key_X:
            // A plain letter never reaches the menu mnemonics; Ctrl+S and Ctrl+X pass on to
            // the shortcuts.
            return !(QApplication::keyboardModifiers() & Qt::ControlModifier) &&
                   !(modifiers & Qt::ControlModifier);
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return RouteEnter();
        default:
            return false;
    }
}

void MainDialog::keyPressEvent(QKeyEvent* event) {
    // Escape never closes the window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    ResizableDialog::keyPressEvent(event);
}

void MainDialog::reject() {
    // The frame's close button and Alt+F4 arrive here or in closeEvent: both ask first.
    ExitCommand();
}

void MainDialog::closeEvent(QCloseEvent* event) {
    // Alt+F4, the window manager, and the end of the session: the session is kept only when
    // the close is refused, so the event says how the question was answered.
    if (!closing_) ExitCommand();
    event->setAccepted(closing_);
}

void MainDialog::paintEvent(QPaintEvent* event) {
    ResizableDialog::paintEvent(event);
    QPainter painter(this);
    painter.drawPixmap(width() - 32, height() - 32, SkinArt::CornerMark(devicePixelRatioF()));
}
