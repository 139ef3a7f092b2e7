// Writes screenshots of the program's windows into a folder, for a person to look at: the main
// window in English and Japanese, an open menu, each message box, the pickers, the dialogs, the
// convert dialog during and after a run, and the rehearsal. Run under a display
// (scripts/screenshot.sh starts it under Xvfb, on a 2x screen too, and again under a window
// manager).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>

#include <QMouseEvent>
#include <QTemporaryDir>
#include "app/ui/AboutDialog.h"
#include "app/ui/CCustomFileDialog.h"
#include "app/ui/MainDialog.h"
#include "app/ui/PreferencesDialog.h"
#include "app/ui/RehearsalCommand.h"
#include "card/ui/ConvertSaveDialog.h"
#include "card/ui/DestinationDialog.h"
#include "card/ui/RehearsalView.h"
#include "core/AppSettings.h"
#include "core/WorkFolders.h"
#include "imaging/ImageLoader.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/Prompter.h"
#include "skin/ToolkitTranslation.h"
#include "skin/UiTexts.h"
#include "skin/ui/BoxPrompter.h"
#include "skin/ui/MenuBarButton.h"
#include "skin/ui/MessageBox.h"
#include "skin/ui/OverwriteBox.h"
#include "skin/ui/WindowFront.h"
#include "thumbs/Selection.h"
#include "thumbs/ThumbnailRenderer.h"
#include "thumbs/ui/CThumbView.h"
#include "thumbs/ui/PlacementDialog.h"

namespace {

QString folder;

void Save(const QPixmap& picture, const QString& name) {
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    picture.save(path);
    std::printf("%s\n", qPrintable(path));
}

// The whole screen, so that windows above the main window (menus, boxes) show too.
QPixmap Screen() {
    QApplication::processEvents();
    return QGuiApplication::primaryScreen()->grabWindow(0);
}

void Settle(int ms = 300) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Shows a box, grabs the screen once it is up, then closes it.
template <typename Show>
void GrabBox(const QString& name, Show show) {
    QTimer::singleShot(400, [name] {
        Save(Screen(), name);
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    show();
}

// The File menu, each message box, the import picker and the about box.
void TourMenuAndBoxes(MainDialog& window, const QString& suffix) {
    auto* file = window.findChild<MenuBarButton*>(QStringLiteral("fileMenuButton"));
    QTimer::singleShot(400, [&window] {
        Save(Screen(),
             "file-menu-" +
                 QStringLiteral("%1").arg(
                     Messages::CurrentLanguage() == Messages::Language::Japanese ? "ja" : "en"));
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        Q_UNUSED(window);
    });
    file->click();

    GrabBox("info-box-" + suffix, [] {
        MessageBox::Show(Messages::Format(
            msg::WrongImageFile, "/home/user/My Pictures/holiday 2026/beach at sunset.jpg"));
    });
    GrabBox("confirm-box-" + suffix, [] { BoxPrompter().Confirm(msg::ExitWithoutSaving); });
    GrabBox("no-folder-box-" + suffix,
            [] { MessageBox::Show(UiTexts::Text("convert.no_folder")); });
    GrabBox("import-picker-" + suffix, [&window] {
        CCustomFileDialog picker(QDir(QStringLiteral("samples")).absolutePath(), &window);
        picker.exec();
    });
    GrabBox("overwrite-box-" + suffix, [] {
        OverwriteBox::Ask(
            Messages::Format(msg::SameNumberExists, "/media/user/CARD/DCIM/100RODIV/DUVU0003"),
            true);
    });
    QTimer::singleShot(400, [suffix] {
        Save(Screen(), "about-" + suffix);
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    window.AboutCommand();
}

// A grid of the sample pictures with two selected and a drag half-way to a gap.
void TourGrid(MainDialog& window, const AppSettings& settings, const QString& suffix) {
    ImageLoader loader(
        window.list(), window.prompter(),
        settings.workFolder.isEmpty() ? QDir::tempPath() + "/vc-screens" : settings.workFolder);
    for (int round = 0; round < 3; ++round) {
        for (const QFileInfo& file : QDir(QStringLiteral("samples")).entryInfoList(QDir::Files)) {
            loader.AddImage(file.filePath(), 0, 0);
        }
    }
    CThumbView* view = window.view();
    view->Relayout(false);
    QEventLoop rendered;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (view->renderer().idle()) rendered.quit();
    });
    poll.start(50);
    rendered.exec();
    window.list().SetSelected(1, true);
    window.list().SetSelected(3, true);
    QWidget* viewport = view->viewport();
    const auto send = [viewport](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    };
    const QPoint press(60 + 116, 50);
    const QPoint gap(6 + 116 * 3 + 4, 50 + 118);
    send(QEvent::MouseButtonPress, press, Qt::LeftButton);
    send(QEvent::MouseMove, press + QPoint(0, 40), Qt::LeftButton);
    send(QEvent::MouseMove, gap, Qt::LeftButton);
    Settle();
    Save(Screen(), "grid-drag-" + suffix);
    send(QEvent::MouseButtonRelease, press, Qt::NoButton);
    ClearSelection(window.list());

    // The second picture turned right, and the context menu over it with the turns.
    window.list().SetSelected(1, true);
    view->TurnCommand(1);
    QTimer::singleShot(400, [suffix] {
        Save(Screen(), "grid-turned-menu-" + suffix);
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
    view->ShowContextMenu(viewport->mapToGlobal(press));
    view->UndoCommand();
    ClearSelection(window.list());
}

// The destination dialog with a card and without one, the preferences, and the convert
// dialog in the middle of a run, at its end and after ejecting the card. The card is the
// one the disk service knows for the language (scripts/screenshot.sh), else a folder that
// stands in for it.
void TourDialogs(MainDialog& window, const QString& suffix) {
    CThumbView* view = window.view();
    QTemporaryDir folder;
    const QString cards = qEnvironmentVariable("VC_SCREENS_CARDS");
    const QString card = cards.isEmpty() ? folder.path() : QDir(cards).filePath(suffix);
    QDir(card).mkpath(QStringLiteral("DCIM/100RODIV"));
    const DestinationDialog::DriveLister listed =
        cards.isEmpty() ? DestinationDialog::DriveLister([&] {
            return QList<Drive>{{card, QStringLiteral("CARD"), true, QStringLiteral("FAT32"),
                                 7'948'206'080, 6'211'223'552}};
        })
                        : DestinationDialog::DriveLister(ListDrives);
    for (const bool inserted : {true, false}) {
        DestinationDialog destination(
            inserted ? listed : [] { return QList<Drive>(); }, card, window.prompter(), &window);
        destination.show();
        Settle();
        Save(Screen(), (inserted ? "destination-" : "destination-no-card-") + suffix);
    }
    {
        PlacementDialog placement(window.list().count(), view);
        placement.show();
        Settle();
        Save(Screen(), "placement-" + suffix);
    }
    {
        PreferencesDialog preferences(true, true, 5, 999, &window);
        preferences.show();
        Settle();
        Save(Screen(), "preferences-" + suffix);
    }
    {
        ConvertSettings convert;
        convert.destination = QDir(card).filePath(QStringLiteral("DCIM/101RODIV"));
        bool unsaved = true;
        QString last;
        ConvertSaveDialog dialog(window.list(), convert, window.prompter(), unsaved, last, &window);
        dialog.show();
        Settle();
        // The size list open on the longest label.
        if (auto* sizes = dialog.findChild<QComboBox*>(QStringLiteral("sizes"))) {
            sizes->setCurrentIndex(sizes->count() - 1);
            sizes->showPopup();
            Settle();
            Save(Screen(), "convert-sizes-" + suffix);
            sizes->hidePopup();
            sizes->setCurrentIndex(1);
        }
        // The fill list open on the blurred photo.
        if (auto* fills = dialog.findChild<QComboBox*>(QStringLiteral("fills"))) {
            fills->setCurrentIndex(1);
            fills->showPopup();
            Settle();
            Save(Screen(), "convert-fill-" + suffix);
            fills->hidePopup();
            fills->setCurrentIndex(0);
        }
        bool grabbed = false;
        QObject::connect(&window.list(), &QAbstractItemModel::dataChanged, &dialog, [&] {
            if (grabbed || window.list().count() < 6 || !window.list().at(5).saved) return;
            grabbed = true;
            Settle(200);
            Save(Screen(), "convert-run-" + suffix);
        });
        dialog.SaveAll();
        window.settings().lastDestination = last;
        Settle();
        Save(Screen(), "convert-done-" + suffix);
        dialog.EjectCard();
        Settle();
        Save(Screen(), "convert-eject-" + suffix);
    }
}

// The list rehearsed full screen, on its second picture (the caption showing), then the card
// read back after Save All.
void TourRehearsal(MainDialog& window, const QString& suffix) {
    RehearsalCommand& rehearsal = window.rehearsal();
    const auto shoot = [&rehearsal](const QString& name, int steps) {
        RehearsalView* view = rehearsal.view();
        if (!view) return;
        for (int i = 0; i < steps; ++i) view->Step(RehearsalStep::Next);
        while (view->shownText() == UiTexts::Text("rehearse.preparing")) Settle(100);
        Settle();
        Save(Screen(), name);
        view->close();
        Settle();
    };
    rehearsal.Rehearse();
    shoot("rehearse-" + suffix, 1);
    rehearsal.ShowCard();
    shoot("rehearse-card-" + suffix, 2);
}

void Tour(Messages::Language language, const QString& suffix) {
    Messages::SetLanguage(language);
    ToolkitTranslation::Install(language);
    AppSettings settings;
    ResetSettings(settings);
    const WorkSpace space(QDir::tempPath());
    MainDialog window(settings, space);
    SetMainWindow(&window);
    window.move(20, 20);
    window.show();
    Settle();
    Save(window.grab(), "main-window-" + suffix);

    TourMenuAndBoxes(window, suffix);
    TourGrid(window, settings, suffix);
    TourDialogs(window, suffix);
    TourRehearsal(window, suffix);
    window.list().ReplaceEntries({});
    SetMainWindow(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrovia"));
    QCoreApplication::setApplicationName(QStringLiteral("QVN-screens"));
    folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build/screens");
    QDir().mkpath(folder);
    Tour(Messages::Language::English, "en");
    Tour(Messages::Language::Japanese, "ja");
    return 0;
}
