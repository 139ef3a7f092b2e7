#include "skin/ui/BoxPrompter.h"

#include <QtTest>

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/ui/SkinnedBox.h"
#include "tests/skin/ui/BoxDriver.h"

class BoxPrompterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void confirmIsTrueOnlyForOk_data() {
        QTest::addColumn<BoxAction>("action");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("expected");
        QTest::newRow("OK") << BoxAction::Click << "ok" << true;
        QTest::newRow("Cancel") << BoxAction::Click << "cancel" << false;
        QTest::newRow("Escape") << BoxAction::Escape << "" << false;
        QTest::newRow("close_button") << BoxAction::CloseButton << "" << false;
    }

    void confirmIsTrueOnlyForOk() {
        QFETCH(BoxAction, action);
        QFETCH(QString, button);
        QFETCH(bool, expected);
        BoxPrompter prompter;
        QString shown;
        AnswerNextBox([&](QDialog* box) {
            shown = qobject_cast<SkinnedBox*>(box)->Text();
            Perform(box, action, button);
        });
        QCOMPARE(prompter.Confirm(msg::DeleteImage), expected);
        QCOMPARE(shown, Messages::Load(msg::DeleteImage));
    }

    void overwriteAnswersTheButtonsCode_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("expected");
        QTest::newRow("overwrite") << "overwrite" << int(overwrite::Overwrite);
        QTest::newRow("no") << "no" << int(overwrite::No);
        QTest::newRow("saveNext") << "saveNext" << int(overwrite::SaveNext);
        QTest::newRow("overwriteAll") << "overwriteAll" << int(overwrite::OverwriteAll);
        QTest::newRow("break") << "break" << int(overwrite::Cancel);
    }

    void overwriteAnswersTheButtonsCode() {
        QFETCH(QString, button);
        QFETCH(int, expected);
        BoxPrompter prompter;
        AnswerNextBox([&](QDialog* box) { Perform(box, BoxAction::Click, button); });
        QCOMPARE(prompter.Overwrite(QStringLiteral("DUVU0001.JPG exists"), true), expected);
    }

    void messagesShowTheirText_data() {
        QTest::addColumn<bool>("plain");
        QTest::addColumn<QString>("expected");
        const QString path = QStringLiteral("/home/user/My Pictures/slide 1.bmp");
        QTest::newRow("Info_with_argument")
            << false << Messages::Format(msg::UnsupportedFormat, path);
        QTest::newRow("Plain") << true << QStringLiteral("makeBackup-OpenSrcFail");
    }

    void messagesShowTheirText() {
        QFETCH(bool, plain);
        QFETCH(QString, expected);
        BoxPrompter prompter;
        QString shown;
        AnswerNextBox([&](QDialog* box) {
            shown = qobject_cast<SkinnedBox*>(box)->Text();
            Perform(box, BoxAction::Click, QStringLiteral("ok"));
        });
        if (plain)
            prompter.Plain(expected);
        else
            prompter.Info(msg::UnsupportedFormat,
                          QStringLiteral("/home/user/My Pictures/slide 1.bmp"));
        QCOMPARE(shown, expected);
        QVERIFY(shown.contains(QLatin1String("\"/home/user/My Pictures/slide 1.bmp\"")) || plain);
    }
};

QTEST_MAIN(BoxPrompterTest)
#include "BoxPrompterTest.moc"
