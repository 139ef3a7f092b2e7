#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/ui/CCustomFileDialog.h"
#include "app/ui/ImportQueue.h"
#include "app/ui/MainDialog.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "slides/ui/ImportProgressDialog.h"
#include "tests/support/TestImages.h"
#include "tests/support/window/TestWindow.h"

using namespace testimages;

class ImportTest : public QObject {
    Q_OBJECT

private:
    QString Folder(const QString& name, const QStringList& files) {
        const QString folder = QDir(fixture.temp.path()).filePath(name);
        QDir().mkpath(folder);
        for (const QString& file : files) {
            const QString path = QDir(folder).filePath(file);
            if (file.endsWith("/")) {
                QDir().mkpath(path);
            } else if (file.endsWith(".ppt") || file.endsWith(".txt")) {
                WriteBytes(path, file.endsWith(".ppt") ? QByteArray() : QByteArray("notes"));
            } else {
                WriteJpeg(Solid(64, 48, Qt::red), path);
            }
        }
        return folder;
    }

    QStringList Names() const {
        QStringList names;
        for (const ImageEntry& entry : window->list().entries()) {
            names << QFileInfo(entry.sourcePath).fileName();
        }
        return names;
    }

    // Runs the window's image import with the picker opened on folder; act answers it.
    void ImportThroughThePicker(const QString& folder,
                                std::function<void(CCustomFileDialog*)> act) {
        QTimer::singleShot(200, [&] {
            auto* dialog = qobject_cast<CCustomFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setDirectory(folder);
            act(dialog);
        });
        window->ImportFileCommand();
    }

    TestWindow fixture;
    // Each test's own, on a drive with fixture.freeBytes free.
    std::unique_ptr<MainDialog> window;

private Q_SLOTS:
    void init() {
        window = fixture.Make();
        QVERIFY(window);
    }

    // A dropped folder loads its images, which the progress bar counts, and queues its
    // presentation; a link that leads nowhere is named, with why, in one message at the end.
    void aDroppedFolderLoadsItsImagesAndQueuesItsPresentation() {
        const QString folder = Folder("drop 写真", {"b.PNG", "a.jpg", "talk.ppt", "photo.jpeg"});
        const QString dangling = QDir(fixture.temp.path()).filePath("dangling.jpg");
        QFile::link(QDir(folder).filePath("gone.jpg"), dangling);
        int range = -1;
        QTimer::singleShot(0, [&] {
            if (auto* progress = window->findChild<ImportProgressDialog*>()) {
                range = progress->maximum();
            }
        });
        TestWindow::Drop(window.get(), {dangling, folder});
        QCOMPARE(Names(), (QStringList{"a.jpg", "b.PNG", "photo.jpeg"}));
        QCOMPARE(range, 3);
        QCOMPARE(window->importQueue().presentationsQueued(), 1);
        QVERIFY(window->unsavedChanges());
        QCOMPARE(fixture.prompter.records.size(), 1);
        QCOMPARE(fixture.prompter.records[0].text,
                 QString("Not imported:\n%1 (a link that leads nowhere)").arg(dangling));
    }

    void cancelAfterTheSecondOfFiveKeepsTwo() {
        const QString folder = Folder("five", {"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"});
        connect(&window->list(), &QAbstractItemModel::rowsInserted, this, [&] {
            if (window->list().count() == 2) {
                auto* progress = window->findChild<ImportProgressDialog*>();
                QTest::mouseClick(progress->findChild<QWidget*>("cancel"), Qt::LeftButton);
            }
        });
        TestWindow::Drop(window.get(), {folder});
        QCOMPARE(window->list().count(), 2);
    }

    void tooLittleFreeSpaceImportsNothing() {
        fixture.freeBytes = 64ull * 1024 * 1024 - 1;
        window = fixture.Make();
        QVERIFY(window);
        fixture.freeBytes = 10ull << 30;
        TestWindow::Drop(window.get(), {Folder("some", {"1.jpg", "2.jpg"})});
        QCOMPARE(window->list().count(), 0);
        QCOMPARE(fixture.prompter.Ids(), QList<int>{msg::NotEnoughSpace});
    }

    void aFullListStopsTheDropBeforeItsNextPath() {
        QList<ImageEntry> entries;
        for (int i = 0; i < 9998; ++i) {
            ImageEntry entry;
            entry.sourcePath = QString("/x/%1.jpg").arg(i);
            entries << entry;
        }
        window->list().ReplaceEntries(entries);
        TestWindow::Drop(window.get(), {Folder("first", {"1.jpg", "2.jpg", "3.jpg"}),
                                        Folder("second", {"4.jpg"})});
        QCOMPARE(window->list().count(), 9999);
        // Asked once, not once per file.
        QCOMPARE(fixture.prompter.Ids(), QList<int>{msg::TooManyImages});
    }

    void anEmptyPresentationShows133AndNothingElse() {
        const QString empty = QDir(Folder("talks", {"empty.ppt"})).filePath("empty.ppt");
        window->QueuePresentation(empty);
        QTRY_COMPARE(fixture.prompter.records.size(), 1);
        QCOMPARE(fixture.prompter.Ids(), QList<int>{msg::WrongPresentation});
        QCOMPARE(fixture.prompter.records[0].argument, empty);
        QTest::qWait(700);
        QCOMPARE(fixture.prompter.records.size(), 1);
        QCOMPARE(window->list().count(), 0);
    }

    void loadAllThroughTheDialogAndAJpegPickedByName() {
        const QString folder = Folder("dialog folder", {"a.jpg", "b.jpg", "c.gif", "sub/"});
        ImportThroughThePicker(folder, [](CCustomFileDialog* dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton*>("loadAll"), Qt::LeftButton);
        });
        QCOMPARE(Names(), (QStringList{"a.jpg", "b.jpg"}));
        QCOMPARE(fixture.settings.lastImageFolder, folder);

        // Picked by name, a file of any type goes to the loader as it is.
        ImportThroughThePicker(folder, [](CCustomFileDialog* dialog) {
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText("c.gif");
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(Names(), (QStringList{"a.jpg", "b.jpg", "c.gif"}));
    }

    // The picker offers every type the program imports first, then JPEG alone (109), and finds
    // the files whatever the case of the name.
    void theImagePickerListsEveryImportedType() {
        const QString folder = Folder("picker", {"a.jpg", "B.JPG", "e.png", "h.TIFF", "notes.txt"});
        QStringList offered;
        QStringList shown;
        ImportThroughThePicker(folder, [&](CCustomFileDialog* dialog) {
            offered = dialog->nameFilters();
            const auto* view = dialog->findChild<QListView*>("listView");
            const QModelIndex root = view->rootIndex();
            // The folder is read in the background.
            (void)QTest::qWaitFor([&] { return view->model()->rowCount(root) == 4; });
            for (int row = 0; row < view->model()->rowCount(root); ++row)
                shown << view->model()->index(row, 0, root).data().toString();
            dialog->reject();
        });
        QCOMPARE(offered, (QStringList{"Image files (*.jpg *.jpeg *.jpe *.png *.bmp *.tif *.tiff "
                                       "*.heic *.heif *.avif *.webp)",
                                       "JPEG image (*.jpg)"}));
        shown.sort(Qt::CaseInsensitive);
        QCOMPARE(shown, (QStringList{"a.jpg", "B.JPG", "e.png", "h.TIFF"}));
    }
};

QTEST_MAIN(ImportTest)
#include "ImportTest.moc"
