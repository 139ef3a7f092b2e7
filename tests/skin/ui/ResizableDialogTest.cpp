#include "skin/ui/ResizableDialog.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kTemplate = 102;  // the main window's

// A dialog laid out like the main window: a view filling the middle, a button bottom-right.
struct Window {
    ResizableDialog dialog{kTemplate};
    QWidget* view;
    QWidget* close;

    explicit Window(int viewFlags = ResizableDialog::StretchRight | ResizableDialog::StretchDown,
                    int closeFlags = ResizableDialog::MoveRight | ResizableDialog::MoveDown) {
        dialog.resize(600, 400);
        view = new QWidget(&dialog);
        view->setGeometry(10, 40, 400, 300);
        close = new QWidget(&dialog);
        close->setGeometry(500, 360, 90, 28);
        dialog.AddAnchor(view, viewFlags);
        dialog.AddAnchor(close, closeFlags);
    }
};

}  // namespace

class ResizableDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(profileDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profileDir_.path());
        QCoreApplication::setOrganizationName(QStringLiteral("Kestrovia"));
        QCoreApplication::setApplicationName(QStringLiteral("QVN"));
    }

    void init() { QSettings().clear(); }

    void anchorsFollowTheEdges_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QSize>("growth");
        QTest::addColumn<QRect>("expected");  // from 10, 40, 400 x 300

        using R = ResizableDialog;
        const QSize taller(0, 100);
        const QSize wider(50, 0);
        QTest::newRow("12_stretches_down")
            << (R::StretchRight | R::StretchDown) << taller << QRect(10, 40, 400, 400);
        QTest::newRow("12_stretches_right")
            << (R::StretchRight | R::StretchDown) << wider << QRect(10, 40, 450, 300);
        QTest::newRow("3_moves_down")
            << (R::MoveRight | R::MoveDown) << taller << QRect(10, 140, 400, 300);
        QTest::newRow("3_moves_right")
            << (R::MoveRight | R::MoveDown) << wider << QRect(60, 40, 400, 300);
        QTest::newRow("stretch_wins_over_move_right")
            << (R::MoveRight | R::StretchRight) << wider << QRect(10, 40, 450, 300);
        QTest::newRow("stretch_wins_over_move_down")
            << (R::MoveDown | R::StretchDown) << taller << QRect(10, 40, 400, 400);
        QTest::newRow("0_stays") << 0 << QSize(50, 100) << QRect(10, 40, 400, 300);
    }

    void anchorsFollowTheEdges() {
        QFETCH(int, flags);
        QFETCH(QSize, growth);
        QFETCH(QRect, expected);
        Window window(flags);
        window.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.dialog));
        window.dialog.resize(window.dialog.size() + growth);
        QTRY_COMPARE(window.dialog.size(), QSize(600, 400) + growth);
        QCOMPARE(window.view->geometry(), expected);
    }

    void theSizeIsKeptAndComesBack() {
        {
            Window window;
            window.dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window.dialog));
            window.dialog.resize(600, 500);
            QTRY_COMPARE(window.dialog.size(), QSize(600, 500));
            QCOMPARE(window.close->geometry(), QRect(500, 460, 90, 28));
        }
        QSettings profile;
        QCOMPARE(profile.value("66/CX").toInt(), 600);
        QCOMPARE(profile.value("66/CY").toInt(), 500);

        // Reopened, the window has that size and its controls are where they were.
        Window window;
        window.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.dialog));
        QCOMPARE(window.dialog.size(), QSize(600, 500));
        QCOMPARE(window.view->geometry(), QRect(10, 40, 400, 400));
        QCOMPARE(window.close->geometry(), QRect(500, 460, 90, 28));
        QCOMPARE(window.dialog.minimumSize(), QSize(600, 400));
    }

    void aWindowNeverResizedStoresNothing() {
        {
            Window window;
            window.dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window.dialog));
            window.dialog.close();
        }
        QVERIFY(!QSettings().contains("66/CX"));
    }

    void aStoredZeroIsIgnored_data() {
        QTest::addColumn<int>("cx");
        QTest::addColumn<int>("cy");
        QTest::newRow("no_width") << 0 << 700;
        QTest::newRow("no_height") << 800 << 0;
    }

    void aStoredZeroIsIgnored() {
        QFETCH(int, cx);
        QFETCH(int, cy);
        {
            QSettings profile;
            profile.setValue("66/CX", cx);
            profile.setValue("66/CY", cy);
        }
        Window window;
        window.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.dialog));
        QCOMPARE(window.dialog.size(), QSize(600, 400));
    }

    void theSizeAtCreationIsTheMinimum() {
        Window window;
        window.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.dialog));
        window.dialog.resize(300, 200);
        QTest::qWait(10);
        QCOMPARE(window.dialog.size(), QSize(600, 400));
        QCOMPARE(window.view->geometry(), QRect(10, 40, 400, 300));
    }

private:
    QTemporaryDir profileDir_;
};

QTEST_MAIN(ResizableDialogTest)
#include "ResizableDialogTest.moc"
