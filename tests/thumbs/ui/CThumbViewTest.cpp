#include "thumbs/ui/CThumbView.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "core/WorkingList.h"
#include "skin/MessageIds.h"
#include "skin/ui/BitmapRadio.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinConstants.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"
#include "thumbs/Selection.h"
#include "thumbs/ThumbnailRenderer.h"
#include "thumbs/ui/DragPicture.h"
#include "thumbs/ui/PlacementDialog.h"

using namespace thumbs;

class CThumbViewTest : public QObject {
    Q_OBJECT

private:
    // A view 4 columns wide over entries named by letters, each with a work copy file: empty,
    // or with photos an 800 x 600 picture.
    std::unique_ptr<CThumbView> MakeView(const QString& letters, bool photos = false) {
        list = std::make_unique<WorkingList>();
        tester = std::make_unique<QAbstractItemModelTester>(list.get());
        for (QChar letter : letters) {
            ImageEntry entry;
            entry.sourcePath = QString("/pictures/%1.jpg").arg(letter);
            entry.workPath = QDir(temp.path()).filePath(QString("TMP%1.jpg").arg(letter));
            if (photos)
                testimages::WriteJpeg(testimages::PhotoLike(800, 600, list->count() + 1),
                                      entry.workPath);
            else
                QFile(entry.workPath).open(QIODevice::WriteOnly);
            entry.imageWidth = photos ? 800 : 400;
            entry.imageHeight = photos ? 600 : 300;
            list->Append(entry);
        }
        prompter = ScriptedPrompter();
        auto view = std::make_unique<CThumbView>(*list, prompter);
        view->resize(509, 432);
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get())) return nullptr;
        return view;
    }

    QString Letters() const {
        QString letters;
        for (const ImageEntry& entry : list->entries()) letters += entry.sourcePath.at(10);
        return letters;
    }

    QPoint CellCentre(CThumbView& view, int index) const {
        return CellAt(index, view.grid().columns, view.scroll()).box.center();
    }

    static void Send(QWidget* viewport, QEvent::Type type, QPoint at, Qt::MouseButton button,
                     Qt::MouseButtons buttons, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), button, buttons, keys);
        QApplication::sendEvent(viewport, &event);
    }

    static void Click(QWidget* viewport, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers keys = Qt::NoModifier) {
        Send(viewport, QEvent::MouseButtonPress, at, button, button, keys);
        Send(viewport, QEvent::MouseButtonRelease, at, button, Qt::NoButton, keys);
    }

    // The actions of the context menu as enabled or not, read while it is open.
    QList<bool> MenuEnabling(CThumbView& view, QPoint at) {
        QList<bool> enabled;
        QTimer::singleShot(100, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* action : menu->actions()) {
                    if (!action->isSeparator()) enabled << action->isEnabled();
                }
                menu->close();
            }
        });
        Click(view.viewport(), at, Qt::RightButton);
        return enabled;
    }

    QTemporaryDir temp;
    std::unique_ptr<WorkingList> list;
    std::unique_ptr<QAbstractItemModelTester> tester;
    ScriptedPrompter prompter;

private Q_SLOTS:
    void aRealDragMovesTheSelectionIntoTheGap() {
        auto view = MakeView("ABCDE");
        QVERIFY(view);
        QWidget* viewport = view->viewport();
        // Select B and D, press on B and drag it onto D's left half.
        Click(viewport, CellCentre(*view, 1));
        Click(viewport, CellCentre(*view, 3), Qt::LeftButton, Qt::ControlModifier);
        QCOMPARE(SelectedCount(*list), 2);

        const QPoint start = CellCentre(*view, 1);
        Send(viewport, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        Send(viewport, QEvent::MouseMove, start + QPoint(10, 0), Qt::NoButton, Qt::LeftButton);
        QVERIFY2(!view->dragging(), "under the 20-pixel threshold");
        // Just left of D's centre, beyond the reach of C's widened drop area.
        const QPoint leftOfD = CellAt(3, 4, 0).background.topLeft() + QPoint(52, 50);
        Send(viewport, QEvent::MouseMove, leftOfD, Qt::NoButton, Qt::LeftButton);
        QVERIFY(view->dragging());
        QCOMPARE(view->dropTarget(), 3);
        QVERIFY(view->dropBefore());
        Send(viewport, QEvent::MouseButtonRelease, leftOfD, Qt::LeftButton, Qt::NoButton);
        QVERIFY(!view->dragging());
        QCOMPARE(Letters(), QString("ACBDE"));
        QCOMPARE(SelectedCount(*list), 0);
    }

    void theContextMenuEnablesWhatMakesSense() {
        struct Case {
            const char* name;
            QString letters;
            int clickOn;  // -1: the background
            // Sort, Delete slide, Delete All, Undo, Rotate Right, Rotate Left
            QList<bool> enabled;
        } const cases[] = {
            {"empty", "", -1, {false, false, false, false, false, false}},
            {"one_selected", "A", 0, {false, true, true, false, true, true}},
            {"five_none_selected", "ABCDE", -1, {false, false, true, false, false, false}},
            {"five_one_selected", "ABCDE", 2, {true, true, true, false, true, true}},
        };
        for (const Case& c : cases) {
            auto view = MakeView(c.letters);
            QVERIFY(view);
            const QPoint at = c.clickOn >= 0 ? CellCentre(*view, c.clickOn) : QPoint(300, 400);
            QCOMPARE(MenuEnabling(*view, at), c.enabled);
        }
    }

    void aRightClickSelectsAnUnselectedCellButKeepsAGroup() {
        auto view = MakeView("ABCDE");
        QVERIFY(view);
        SetRangeSelected(*list, 1, 3, true);
        MenuEnabling(*view, CellCentre(*view, 2));
        QCOMPARE(SelectedCount(*list), 3);
        MenuEnabling(*view, CellCentre(*view, 4));
        QCOMPARE(SelectedCount(*list), 1);
        QVERIFY(list->at(4).selected);
    }

    void deletionAsksAndCancelChangesNothing() {
        auto view = MakeView("ABCDE");
        QVERIFY(view);
        list->SetSelected(1, true);
        list->SetSelected(3, true);
        const QString copyOfB = list->at(1).workPath;
        prompter.confirmAnswers = {false};
        view->DeleteSelectedCommand();
        QCOMPARE(Letters(), QString("ABCDE"));
        QCOMPARE(SelectedCount(*list), 2);
        prompter.confirmAnswers = {true};
        view->DeleteSelectedCommand();
        QCOMPARE(Letters(), QString("ACE"));
        QVERIFY2(QFile::exists(copyOfB), "kept while Undo can bring it back");
        QCOMPARE(prompter.Ids(), (QList<int>{msg::DeleteImage, msg::DeleteImage}));

        prompter.confirmAnswers = {true};
        const QString copyOfA = list->at(0).workPath;
        view->DeleteAllCommand();
        QCOMPARE(list->count(), 0);
        QVERIFY(QFile::exists(copyOfA));
        QCOMPARE(prompter.Ids().last(), int(msg::DeleteAllImages));
        // Ctrl+Z brings back the list of each step, in its order, with the selection it had.
        QTest::keyClick(view.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Letters(), QString("ACE"));
        QTest::keyClick(view.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Letters(), QString("ABCDE"));
        QCOMPARE(SelectedCount(*list), 2);
    }

    // Ctrl+R turns the selected thumbnails at once and their cells show them on their side;
    // Ctrl+Shift+R turns them back, and Undo brings back the turn.
    void ctrlRTurnsTheSelectedThumbnailsOnly() {
        auto view = MakeView("ABC", true);
        QVERIFY(view);
        QTRY_VERIFY(list->at(0).rendered && list->at(1).rendered && list->at(2).rendered);
        Click(view->viewport(), CellCentre(*view, 0));
        Click(view->viewport(), CellCentre(*view, 2), Qt::LeftButton, Qt::ControlModifier);
        const auto shown = [&] {
            QStringList sizes;
            for (const ImageEntry& entry : list->entries()) {
                const QSize size = entry.thumbnail.deviceIndependentSize().toSize();
                sizes << QString("%1:%2x%3")
                             .arg(entry.quarterTurns)
                             .arg(size.width())
                             .arg(size.height());
            }
            return sizes.join(' ');
        };
        const QString upright = shown();
        QTest::keyClick(view.get(), Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(shown(), QString("1:78x104 0:104x78 1:78x104"));
        // A's box shows the cell's colour at its left end, beside the picture; B's the picture.
        view->viewport()->repaint();
        const auto leftEnd = [&](int row) {
            const QRect box = CellAt(row, view->grid().columns, view->scroll()).box;
            return view->viewport()->grab(box).toImage().pixelColor(4, 39);
        };
        QCOMPARE(leftEnd(0), QColor(skin::kAccent));
        QVERIFY(leftEnd(1) != QColor(skin::kThumbCell));
        QTest::keyClick(view.get(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(shown(), upright);
        QTest::keyClick(view.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shown(), QString("1:78x104 0:104x78 1:78x104"));
    }

    void thePlacementDialogMovesTheBlock() {
        struct Case {
            const char* name;
            QString selected;
            QString number;
            bool next;
            QString after;
        } const cases[] = {
            {"next_to_5", "B", "5", true, "ACDEB"},
            {"previous_to_1", "D", "1", false, "DABCE"},
            {"letters_read_as_0", "E", "", false, "EABCD"},
        };
        for (const Case& c : cases) {
            auto view = MakeView("ABCDE");
            QVERIFY(view);
            for (int i = 0; i < 5; ++i) list->SetSelected(i, c.selected.contains(QChar('A' + i)));
            QTimer::singleShot(100, [&] {
                auto* dialog = qobject_cast<PlacementDialog*>(QApplication::activeModalWidget());
                if (!dialog) return;
                dialog->findChild<QLineEdit*>("number")->setText(c.number);
                if (c.next)
                    QTest::mouseClick(dialog->findChild<BitmapRadio*>("next"), Qt::LeftButton);
                QTest::mouseClick(dialog->findChild<SkinButton*>("ok"), Qt::LeftButton);
            });
            view->SortCommand();
            QCOMPARE(Letters(), c.after);
        }
    }

    // The view asks for thumbnails at the ratio of its screen, again after it moves to another,
    // and draws each in its place without scaling it; the drag picture follows the ratio too.
    void thumbnailsFollowTheRatioOfTheScreen() {
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (screens.size() < 2 || screens[1]->devicePixelRatio() != 2)
            QSKIP("needs a 1x and a 2x screen (tests/support/two-screens.json)");
        auto view = MakeView("AB", true);
        QVERIFY(view);
        for (QScreen* screen : {screens[1], screens[0]}) {
            view->windowHandle()->setScreen(screen);
            const qreal ratio = screen->devicePixelRatio();
            QTRY_COMPARE(view->renderer().pixelRatio(), ratio);
            QTRY_VERIFY(view->renderer().idle());
            // Its pixels at the ratio are ThumbnailRendererTest's.
            const QImage thumbnail = list->at(1).thumbnail;
            view->viewport()->repaint();
            const QImage shown = view->viewport()
                                     ->grab(CellAt(1, view->grid().columns, view->scroll()).box)
                                     .toImage();
            QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
                     thumbnail.convertToFormat(QImage::Format_RGB32));

            const QImage drag = DragPicture::Make(list->at(1), 2, ratio);
            QCOMPARE(drag.devicePixelRatio(), ratio);
            QCOMPARE(drag.size(), DragPictureSize(104, 78) * ratio);
        }
    }
};

QTEST_MAIN(CThumbViewTest)
#include "CThumbViewTest.moc"
