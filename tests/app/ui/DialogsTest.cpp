// Every dialog of the program as a keyboard user meets it, and by the title a task list shows.
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/ui/AboutDialog.h"
#include "app/ui/CCustomFileDialog.h"
#include "app/ui/MainDialog.h"
#include "app/ui/PreferencesDialog.h"
#include "card/ui/ConvertSaveDialog.h"
#include "card/ui/DestinationDialog.h"
#include "core/AppSettings.h"
#include "core/WorkFolders.h"
#include "core/WorkingList.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "slides/ui/ImportProgressDialog.h"
#include "tests/support/ScriptedPrompter.h"
#include "thumbs/ui/PlacementDialog.h"

namespace {

enum class Kind { Preferences, About, Destination, Placement, Convert };

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QDialog> Make(Kind kind) {
        prompter = ScriptedPrompter();
        switch (kind) {
            case Kind::Preferences:
                return std::make_unique<PreferencesDialog>(true, true, 3, 9999);
            case Kind::About:
                return std::make_unique<AboutDialog>();
            case Kind::Destination:
                return std::make_unique<DestinationDialog>(drives, card.path(), prompter);
            case Kind::Placement:
                return std::make_unique<PlacementDialog>(4);
            case Kind::Convert:
                return std::make_unique<ConvertSaveDialog>(list, ConvertSettings(), prompter,
                                                           unsaved, last);
        }
        return nullptr;
    }

    // Runs the dialog, presses key on the widget named focus (or where the dialog put the
    // focus) from inside its loop; gives how the dialog ended, -2 when it stayed open.
    static int Press(QDialog& dialog, const char* focus, Qt::Key key) {
        QTimer::singleShot(0, &dialog, [&dialog, focus, key] {
            if (!QTest::qWaitForWindowActive(&dialog)) return;
            if (*focus != '\0') dialog.findChild<QWidget*>(QLatin1String(focus))->setFocus();
            QTest::keyClick(dialog.focusWidget(), key);
            QTimer::singleShot(0, &dialog, [&dialog] {
                if (dialog.isVisible()) dialog.done(-2);
            });
        });
        return dialog.exec();
    }

    QTemporaryDir card;
    std::function<QList<Drive>()> drives = [this] { return QList<Drive>{{card.path(), {}, true}}; };
    WorkingList list;
    ScriptedPrompter prompter;
    bool unsaved = false;
    QString last;

private Q_SLOTS:
    void initTestCase() {
        Messages::SetLanguage(Messages::Language::English);
        QDir(card.path()).mkpath(QStringLiteral("DCIM/100RODIV"));
    }

    // Enter presses the focused button, else the default one (OK); the convert dialog has no
    // default. Escape ends every dialog.
    void enterAndEscape() {
        struct Case {
            Kind kind;
            const char* focus;  // "": where the dialog puts it
            Qt::Key key;
            int result;  // -2: stays open
        } const cases[] = {
            {Kind::Destination, "ok", Qt::Key_Enter, QDialog::Accepted},
            {Kind::Placement, "cancel", Qt::Key_Return, QDialog::Rejected},
            {Kind::Preferences, "dcf", Qt::Key_Return, QDialog::Accepted},
            {Kind::Preferences, "perFolder", Qt::Key_Return, QDialog::Accepted},
            {Kind::Destination, "number", Qt::Key_Return, QDialog::Accepted},
            {Kind::Placement, "number", Qt::Key_Return, QDialog::Accepted},
            {Kind::Convert, "sizes", Qt::Key_Return, -2},
            {Kind::Convert, "stop", Qt::Key_Return, QDialog::Accepted},
            {Kind::Preferences, "", Qt::Key_Escape, QDialog::Rejected},
            {Kind::About, "", Qt::Key_Escape, QDialog::Rejected},
            {Kind::Destination, "", Qt::Key_Escape, QDialog::Rejected},
            {Kind::Placement, "", Qt::Key_Escape, QDialog::Rejected},
            {Kind::Convert, "", Qt::Key_Escape, QDialog::Rejected},
        };
        for (const Case& c : cases) {
            const int result = Press(*Make(c.kind), c.focus, c.key);
            const QString row = QStringLiteral("dialog %1, key %2 on '%3': %4")
                                    .arg(QString::number(int(c.kind)), QString::number(c.key, 16),
                                         QLatin1String(c.focus), QString::number(result));
            QVERIFY2(result == c.result, qPrintable(row));
        }
        // One Enter in the destination's field is one OK: its taken number is asked about once.
        std::unique_ptr<QDialog> destination = Make(Kind::Destination);
        destination->findChild<QLineEdit*>(QStringLiteral("number"))->setText("100");
        prompter.confirmAnswers = {true};
        QCOMPARE(Press(*destination, "number", Qt::Key_Return), int(QDialog::Accepted));
        QCOMPARE(prompter.Ids(), QList<int>{msg::FolderNumberExists});
        // The import's progress window runs no loop of its own: Enter on Cancel asks to stop.
        ImportProgressDialog progress(msg::LoadingTitle);
        progress.show();
        QVERIFY(QTest::qWaitForWindowActive(&progress));
        QTest::keyClick(progress.findChild<QWidget*>(QStringLiteral("cancel")), Qt::Key_Return);
        QVERIFY(progress.CancelRequested());
    }

    void tabFollowsTheMainWindowAsItReads() {
        QTemporaryDir profile;
        qputenv("XDG_CONFIG_HOME", profile.path().toUtf8());
        AppSettings settings;
        const WorkSpace space(QDir::tempPath());
        MainDialog window(settings, space, &prompter);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QStringList order{
            "fileMenuButton", "settingsMenuButton", "aboutMenuButton", "importSlide",
            "importFile",     "cardRadio",          "otherRadio",      "folder",
            "convert",        "thumbView",          "closeButton"};
        window.findChild<QWidget*>(order.first())->setFocus();
        QStringList visited;
        for (qsizetype i = 0; i < order.size(); ++i) {
            visited << window.focusWidget()->objectName();
            QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, order);
    }

    void everyWindowHasItsOwnTitle() {
        const std::pair<Kind, const char*> titles[] = {
            {Kind::Destination, "保存先の指定"},
            {Kind::Placement, "画像の移動"},
            {Kind::Convert, "変換＆保存"},
        };
        Messages::SetLanguage(Messages::Language::Japanese);
        for (const auto& [kind, title] : titles) {
            QCOMPARE(Make(kind)->windowTitle(), QString::fromUtf8(title));
        }
        QCOMPARE(CCustomFileDialog(QString()).windowTitle(), QString::fromUtf8("画像取込"));
        Messages::SetLanguage(Messages::Language::English);
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
