// The windows as a desktop shows them: on an X display under a window manager that reparents
// and places them (openbox, started by tests/support/with-window-manager.sh). Places are read
// back from the X server, not from Qt, whose idea of a window's position is what goes wrong.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "app/ui/MainDialog.h"
#include "card/ui/ConvertSaveDialog.h"
#include "core/WorkFolders.h"
#include "skin/ProfileStore.h"
#include "skin/ui/MessageBox.h"
#include "tests/support/NextWindow.h"
#include "tests/support/window/TestWindow.h"

namespace {

QRect OnScreen(const QWidget* window) {
    QProcess info;
    info.start(QStringLiteral("xwininfo"),
               {QStringLiteral("-id"), QString::number(window->winId())});
    info.waitForFinished();
    const QString text = QString::fromLocal8Bit(info.readAllStandardOutput());
    const auto value = [&text](const char* name) {
        return QRegularExpression(QLatin1String(name) + QStringLiteral(":\\s*(-?\\d+)"))
            .match(text)
            .captured(1)
            .toInt();
    };
    return QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                 value("Height"));
}

// "at x,y, wanted near x,y" when the two points are more than pixels apart on either axis.
QString Apart(QPoint at, QPoint wanted, int pixels) {
    if (std::abs(at.x() - wanted.x()) <= pixels && std::abs(at.y() - wanted.y()) <= pixels) {
        return QString();
    }
    return QStringLiteral("at %1,%2, wanted near %3,%4")
        .arg(at.x())
        .arg(at.y())
        .arg(wanted.x())
        .arg(wanted.y());
}

}  // namespace

class WindowManagerTest : public QObject {
    Q_OBJECT

private:
    TestWindow fixture;

private Q_SLOTS:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        NameProfileStore();
    }

    // The window manager may answer each first show differently: a fresh window each round.
    void menusAndBoxesOpenWhereTheyBelong() {
        for (int round = 0; round < 3; ++round) {
            auto window = fixture.Make();
            QVERIFY(window);
            QString fault;
            auto* file = window->findChild<QAbstractButton*>(QStringLiteral("fileMenuButton"));
            OnNextWindow([&](QWidget* menu) {
                fault = Apart(OnScreen(menu).topLeft(),
                              OnScreen(window.get()).topLeft() +
                                  file->mapTo(window.get(), file->rect().bottomLeft()),
                              5);
            });
            file->click();
            QVERIFY2(fault.isEmpty(), qPrintable("the File menu " + fault));

            const auto centred = [&](QWidget* shown) {
                fault = Apart(OnScreen(shown).center(), OnScreen(window.get()).center(), 10);
            };
            OnNextWindow(centred);
            MessageBox::Show(QStringLiteral("A message"));
            QVERIFY2(fault.isEmpty(), qPrintable("the box " + fault));
            OnNextWindow(centred);
            bool unsaved = false;
            QString last;
            ConvertSaveDialog(window->list(), {}, fixture.prompter, unsaved, last, window.get())
                .exec();
            QVERIFY2(fault.isEmpty(), qPrintable("the convert dialog " + fault));
        }
    }

    // A size kept from a taller screen: the window, its Close button and its size grip come
    // back inside this 800 x 600 one.
    void aTooTallProfileIsFittedToTheScreen() {
        ProfileStore().setValue(QStringLiteral("66/CX"), 765);
        ProfileStore().setValue(QStringLiteral("66/CY"), 2000);
        auto window = fixture.Make();
        QVERIFY(window);
        const QRect screen(0, 0, 800, 600);
        QTRY_VERIFY(screen.contains(OnScreen(window.get())));
        for (const char* name : {"closeButton", "sizeCorner"}) {
            const QRect control = window->findChild<QWidget*>(QLatin1String(name))->geometry();
            QVERIFY2(screen.contains(control.translated(OnScreen(window.get()).topLeft())), name);
        }
    }
};

QTEST_MAIN(WindowManagerTest)
#include "WindowManagerTest.moc"
