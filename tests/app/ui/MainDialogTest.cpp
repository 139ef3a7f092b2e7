#include "app/ui/MainDialog.h"

#include <QtTest>

#include "skin/MessageTexts.h"

class MainDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void titleIsTheProgramNameInBothLanguages() {
        for (auto language : {Messages::Language::English, Messages::Language::Japanese}) {
            Messages::SetLanguage(language);
            MainDialog window;
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QCOMPARE(window.windowTitle(), QString("Vimbrelcastor ver 1.5"));
        }
    }
};

QTEST_MAIN(MainDialogTest)
#include "MainDialogTest.moc"
