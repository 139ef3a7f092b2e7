#include "app/ui/MainDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QShortcut>

#include "app/CommandLine.h"
#include "app/Companion.h"
#include "app/ui/AboutDialog.h"
#include "app/ui/DestinationChoice.h"
#include "app/ui/ImportQueue.h"
#include "app/ui/PreferencesDialog.h"
#include "app/ui/RehearsalCommand.h"
#include "app/ui/SplashWindow.h"
#include "app/ui/WindowImporter.h"
#include "card/ui/ConvertSaveDialog.h"
#include "core/AppSettings.h"
#include "core/WaitWithEvents.h"
#include "imaging/ImageLoader.h"
#include "skin/MessageIds.h"
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
constexpr QPoint kConvert{63, 350};
constexpr QPoint kCompanion{18, 398};
constexpr QPoint kRehearse{63, 398};  // under the panel, the place of the hidden companion
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
    setAcceptDrops(true);

    // It opens as wide as its title picture; wider, the grid takes more columns.
    resize(width(), kWindowHeight);
    setMinimumSize(width(), kWindowHeight);
    InitialiseSize();

    qApp->installEventFilter(this);
    queue_ = new ImportQueue(
        this, [this](const QStringList& paths) { importer_->ImportPaths(paths); },
        [this](const QString& path) { return importer_->ImportPresentation(path); });
    importer_ = std::make_unique<WindowImporter>(this, *view_, list_, *loader_, *prompter_,
                                                 workSpace_, settings_, unsavedChanges_, *queue_);
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
    convert_ =
        button("convert", skin::kConvertButton, kConvert, &MainDialog::ConvertAndSaveCommand);
    companion_ =
        button("companion", skin::kCompanionButton, kCompanion, &MainDialog::LaunchCompanion);
    // Shipped hidden: the command stays reachable for a build that shows it.
    companion_->hide();
    companion_->setEnabled(false);
    close_ = button("closeButton", skin::kCloseButton, kClose, &MainDialog::ExitCommand);
    rehearsal_ = new RehearsalCommand(this, list_, settings_, kRehearse);

    choice_ = new DestinationChoice(this, settings_, *prompter_);
    connect(choice_->cardRadio(), &QAbstractButton::clicked, this,
            &MainDialog::CardDestinationCommand);
    connect(choice_->otherRadio(), &QAbstractButton::clicked, this,
            &MainDialog::OtherFolderCommand);
    connect(choice_->folderButton(), &QAbstractButton::clicked, this,
            &MainDialog::ChooseDestination);
    BuildMenuBar();
    BuildGrid();
}

void MainDialog::BuildMenuBar() {
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
}

void MainDialog::BuildGrid() {
    // The placeholder keeps the view's place; the view is made over its rectangle.
    placeholder_ = new QGroupBox(QStringLiteral("View"), this);
    placeholder_->setGeometry(kView);
    placeholder_->hide();
    view_ = new CThumbView(list_, *prompter_, this);
    view_->setGeometry(kView);
    // What was written no longer shows a turned image: closing asks again.
    connect(view_, &CThumbView::turned, this, [this] { unsavedChanges_ = true; });

    // How many images the list holds, under the grid.
    count_ = new ColorStatic(Qt::black, QColor(skin::kPanelBackground), this);
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
    const QList<QWidget*> order{fileButton_,
                                settingsButton_,
                                aboutButton_,
                                importSlide_,
                                importFile_,
                                choice_->cardRadio(),
                                choice_->otherRadio(),
                                choice_->folderButton(),
                                convert_,
                                rehearsal_->button(),
                                view_,
                                close_};
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
    rehearsal_->AddMenuItems(fileMenu_);
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
    const auto shortcut = [this](QKeySequence keys, auto command) {
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
    // Ctrl+R turns the selected images right, Ctrl+Shift+R left.
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_R), [this] { view_->TurnCommand(1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), [this] { view_->TurnCommand(-1); });
}

void MainDialog::QueueStartupPaths(const QStringList& arguments) {
    QStringList paths = arguments;
    paths.removeIf(IsAutomationSwitch);
    queue_->QueuePaths(paths);
}

void MainDialog::QueuePresentation(const QString& path) {
    queue_->QueuePresentation(path);
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
    importer_->ImportPaths(paths);
}

void MainDialog::ImportSlideCommand() {
    importer_->PickPresentation();
    FocusView();
}

void MainDialog::ImportFileCommand() {
    importer_->PickImages();
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
    if (!choice_->Ensure()) {
        view_->ResumeRenderer();
        return FocusView();
    }
    ConvertSettings convert = ConvertSettingsOf(settings_);
    convert.destination = settings_.cardFlag ? settings_.cardFolder : settings_.otherFolder;
    {
        ConvertSaveDialog dialog(list_, convert, *prompter_, unsavedChanges_,
                                 settings_.lastDestination, this);
        dialog.CheckCardOnce(checkedCards_);
        dialog.exec();
        settings_.sizeIndex = dialog.sizeIndex();
        settings_.formatIndex = dialog.formatIndex();
        settings_.fill = dialog.fill();
    }
    view_->ResumeRenderer();
    FocusView();
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
                             settings_.qualityPosition, settings_.filesPerFolder, this);
    if (dialog.exec() != QDialog::Accepted) return;
    settings_.exifOption = dialog.dcfOption();
    settings_.thumbnailOption = dialog.thumbnailOption();
    settings_.qualityPosition = dialog.qualityPosition();
    settings_.filesPerFolder = dialog.filesPerFolder();
}

void MainDialog::AboutCommand() {
    AboutDialog about(this);
    about.exec();
    FocusView();
}

void MainDialog::SetDriveLister(std::function<QList<Drive>()> lister) {
    choice_->SetDriveLister(std::move(lister));
}

void MainDialog::ChooseDestination() {
    choice_->Choose();
    FocusView();
}

void MainDialog::CardDestinationCommand() {
    choice_->SetCard(true);
    ChooseDestination();
}

void MainDialog::OtherFolderCommand() {
    choice_->SetCard(false);
}

void MainDialog::LaunchCompanion() {
    ::LaunchCompanion(settings_.lastDestination, *prompter_);
    FocusView();
}

void MainDialog::DeleteSlideCommand() {
    if (AnySelected(list_)) view_->DeleteSelectedCommand();
    FocusView();
}

void MainDialog::SelectAllCommand() {
    view_->SelectAllCommand();
}

void MainDialog::UndoCommand() {
    view_->UndoCommand();
    FocusView();
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
    for (SkinButton* b : {convert_, importFile_, importSlide_, close_, rehearsal_->button()}) {
        if (focusWidget() == b) b->click();
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
