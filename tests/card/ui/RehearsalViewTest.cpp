#include "card/ui/RehearsalView.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "skin/MessageTexts.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

using namespace testimages;

class RehearsalViewTest : public QObject {
    Q_OBJECT

private:
    // Waits until the view has the picture it shows (or the reason it has none).
    static bool Made(const RehearsalView& view) {
        return QTest::qWaitFor([&] { return view.shownText() != "Preparing..."; }, 20000);
    }

    QTemporaryDir temp;
    WorkingList list;
    ScriptedPrompter prompter;

private Q_SLOTS:
    void initTestCase() {
        Messages::SetLanguage(Messages::Language::English);
        ImageLoader loader(list, prompter, temp.filePath("work"));
        // A landscape photo turned on its side, so that there are bars to fill.
        const QString path = temp.filePath("landscape.jpg");
        WriteJpeg(PhotoLike(400, 300), path);
        QCOMPARE(loader.AddImage(path, 0, 0), 1);
    }

    // One arrow key shows image 2 (and says so), a picture that cannot be decoded shows its
    // name and the reason, and Esc leaves.
    void stepsShowsAndLeaves() {
        const QString broken = temp.filePath("broken.jpg");
        WriteBytes(broken, "not a picture");
        QList<RehearsalItem> items = RehearsalItemsOf(list, ConvertSettings());
        items.append({broken, "broken.jpg", true, ConvertSettings()});
        RehearsalView view(items);
        QCOMPARE(view.shownText(), QString("Preparing..."));
        view.showFullScreen();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(Made(view));
        QVERIFY(!view.shownImage().isNull());
        QTest::keyClick(&view, Qt::Key_Right);
        QCOMPARE(view.current(), 1);
        QCOMPARE(view.caption(), QString("2 / 2   broken.jpg"));
        QCOMPARE(view.accessibleDescription(), QString("2 of 2: broken.jpg"));
        QVERIFY(Made(view));
        QVERIFY(view.shownImage().isNull());
        QVERIFY2(view.shownText().startsWith("broken.jpg\n") && view.shownText().size() > 12,
                 qPrintable(view.shownText()));
        QTest::keyClick(&view, Qt::Key_Escape);
        QVERIFY(!view.isVisible());
    }

    // The picture shown is the one Save All writes with the same settings: its size and its
    // pixels, the photo turned by hand and the colour in the bars.
    void showsWhatIsWritten() {
        list.SetTurn(0, 1, list.at(0).thumbnail);
        ConvertSettings settings;
        settings.fill = FrameFill{FrameFill::Kind::Colour, 0x2040FF};
        settings.destination = temp.filePath("card/DCIM/100RODIV");
        RehearsalView view(RehearsalItemsOf(list, settings));
        QVERIFY(Made(view));
        const QImage shown = view.shownImage().convertToFormat(QImage::Format_RGB32);

        bool unsaved = true;
        QString last;
        ConvertRun run(list, settings, prompter, unsaved, last);
        QVERIFY(run.SaveAll(std::atomic<bool>(false)));
        const vips::VImage written =
            vips::VImage::new_from_file(QFile::encodeName(run.outcomes()[0].path));
        QCOMPARE(shown.size(), QSize(written.width(), written.height()));
        QVERIFY2(shown.pixelColor(2, 2).blue() > 230, "a bar of the colour");
        for (const QPoint at : {QPoint(2, 2), QPoint(shown.width() / 2, shown.height() / 3),
                                QPoint(shown.width() * 2 / 3, shown.height() * 2 / 3)}) {
            const QColor a = shown.pixelColor(at);
            const QColor b = PixelAt(written, at.x(), at.y());
            QVERIFY2(std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                             std::abs(a.blue() - b.blue()) <=
                         6,
                     qPrintable(QString("%1,%2").arg(at.x()).arg(at.y())));
        }
    }
};

QTEST_MAIN(RehearsalViewTest)
#include "RehearsalViewTest.moc"
