// Every dialog of the program as a keyboard user meets it (Enter, Escape, Tab), and by the
// title a task list shows for it.
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

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

// A dialog of each kind, freshly made.
enum class Kind { Preferences, About, Destination, Placement, Convert };

const char* NameOf(Kind kind) {
    switch (kind) {
        case Kind::Preferences:
            return "preferences";
        case Kind::About:
            return "about";
        case Kind::Destination:
            return "destination";
        case Kind::Placement:
            return "placement";
        case Kind::Convert:
            return "convert";
    }
    return "";
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QDialog> Make(Kind kind) {
        prompter = ScriptedPrompter();
        switch (kind) {
            case Kind::Preferences:
                return std::make_unique<PreferencesDialog>(true, true, 3);
            case Kind::About:
                return std::make_unique<AboutDialog>();
            case Kind::Destination:
                return std::make_unique<DestinationDialog>(
                    QList<Drive>{{card.path(), QStringLiteral("CARD"), true}}, card.path(),
                    prompter);
            case Kind::Placement:
                return std::make_unique<PlacementDialog>(4);
            case Kind::Convert:
                return std::make_unique<ConvertSaveDialog>(list, ConvertSettings(), prompter,
                                                           unsaved, last);
        }
        return nullptr;
    }

    // Runs the dialog and presses key on the widget named focus (the dialog's own focus when
    // empty) from inside its loop; gives how the dialog ended, or -2 when it stayed open.
    int Press(QDialog& dialog, const char* focus, Qt::Key key) {
        QTimer::singleShot(0, &dialog, [&dialog, focus, key] {
            if (!QTest::qWaitForWindowActive(&dialog)) return;
            QWidget* target = dialog.focusWidget();
            if (*focus != '\0') {
                target = dialog.findChild<QWidget*>(QLatin1String(focus));
                QVERIFY2(target, focus);
                target->setFocus();
            }
            QTest::keyClick(target != nullptr ? target : &dialog, key);
            QTimer::singleShot(0, &dialog, [&dialog] {
                if (dialog.isVisible()) dialog.done(-2);
            });
        });
        return dialog.exec();
    }

    QTemporaryDir card;
    WorkingList list;
    ScriptedPrompter prompter;
    bool unsaved = false;
    QString last;

private Q_SLOTS:
    void initTestCase() {
        Messages::SetLanguage(Messages::Language::English);
        QDir(card.path()).mkpath(QStringLiteral("DCIM/100RODIV"));
    }

    void enterAndEscapeEndEveryDialog() {
        struct Case {
            const char* name;
            Kind kind;
            const char* focus;  // "": where the dialog puts it
            Qt::Key key;
            int result;  // -2: stays open
        } const cases[] = {
            {"enter_on_ok", Kind::Preferences, "ok", Qt::Key_Return, QDialog::Accepted},
            {"enter_on_ok", Kind::About, "ok", Qt::Key_Return, QDialog::Accepted},
            {"enter_on_ok", Kind::Destination, "ok", Qt::Key_Return, QDialog::Accepted},
            {"enter_on_ok", Kind::Placement, "ok", Qt::Key_Enter, QDialog::Accepted},
            {"enter_on_cancel", Kind::Preferences, "cancel", Qt::Key_Return, QDialog::Rejected},
            {"enter_on_cancel", Kind::Destination, "cancel", Qt::Key_Return, QDialog::Rejected},
            {"enter_on_cancel", Kind::Placement, "cancel", Qt::Key_Return, QDialog::Rejected},
            // Enter away from any button presses the default one, OK.
            {"enter_on_the_slider", Kind::Preferences, "quality", Qt::Key_Return,
             QDialog::Accepted},
            {"enter_on_a_check_button", Kind::Preferences, "dcf", Qt::Key_Return,
             QDialog::Accepted},
            {"enter_in_the_number", Kind::Destination, "number", Qt::Key_Return, QDialog::Accepted},
            {"enter_on_the_drives", Kind::Destination, "drive", Qt::Key_Return, QDialog::Accepted},
            {"enter_in_the_number", Kind::Placement, "number", Qt::Key_Return, QDialog::Accepted},
            // The convert dialog has no default: Enter acts on a button only.
            {"enter_on_the_sizes", Kind::Convert, "sizes", Qt::Key_Return, -2},
            {"enter_on_close", Kind::Convert, "stop", Qt::Key_Return, QDialog::Accepted},
            {"escape", Kind::Preferences, "", Qt::Key_Escape, QDialog::Rejected},
            {"escape", Kind::About, "", Qt::Key_Escape, QDialog::Rejected},
            {"escape", Kind::Destination, "", Qt::Key_Escape, QDialog::Rejected},
            {"escape", Kind::Placement, "", Qt::Key_Escape, QDialog::Rejected},
            {"escape", Kind::Convert, "", Qt::Key_Escape, QDialog::Rejected},
        };
        for (const Case& c : cases) {
            const QByteArray row = QByteArray(NameOf(c.kind)) + ": " + c.name;
            std::unique_ptr<QDialog> dialog = Make(c.kind);
            const int result = Press(*dialog, c.focus, c.key);
            QVERIFY2(result == c.result,
                     qPrintable(QStringLiteral("%1 ended with %2").arg(row).arg(result)));
        }
    }

    // The destination dialog accepts once for one Enter in its field: its number, taken
    // already, is asked about once.
    void enterInTheDestinationNumberAsksOnce() {
        std::unique_ptr<QDialog> dialog = Make(Kind::Destination);
        dialog->findChild<QLineEdit*>(QStringLiteral("number"))->setText(QStringLiteral("100"));
        prompter.confirmAnswers = {true};
        QCOMPARE(Press(*dialog, "number", Qt::Key_Return), int(QDialog::Accepted));
        QCOMPARE(prompter.Ids(), QList<int>{msg::FolderNumberExists});
    }

    void tabFollowsTheWindowAsItReads() {
        struct Case {
            Kind kind;
            QStringList order;
        } const cases[] = {
            {Kind::Preferences, {"quality", "dcf", "thumbnails", "ok", "cancel"}},
            {Kind::Destination, {"drive", "number", "up", "down", "ok", "cancel"}},
            {Kind::Placement, {"previous", "next", "number", "up", "down", "ok", "cancel"}},
            // Previous is off at the first image.
            {Kind::Convert, {"next", "sizes", "formats", "save", "saveAll", "stop"}},
        };
        for (const Case& c : cases) {
            std::unique_ptr<QDialog> dialog = Make(c.kind);
            dialog->show();
            QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
            QWidget* first = dialog->findChild<QWidget*>(c.order.first());
            first->setFocus();
            QStringList visited;
            for (qsizetype i = 0; i < c.order.size(); ++i) {
                QWidget* focus = dialog->focusWidget();
                visited << (focus != nullptr ? focus->objectName() : QString());
                QTest::keyClick(focus, Qt::Key_Tab);
            }
            QCOMPARE(visited, c.order);
            QCOMPARE(dialog->focusWidget(), first);  // and round again
        }
    }

    // The import's progress window runs no loop of its own; Enter on its Cancel asks to stop.
    void enterOnTheProgressWindowsCancelAsksToStop() {
        ImportProgressDialog progress(msg::LoadingTitle);
        progress.Start(3);
        progress.show();
        QVERIFY(QTest::qWaitForWindowActive(&progress));
        auto* cancel = progress.findChild<QWidget*>(QStringLiteral("cancel"));
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
        QVERIFY(progress.CancelRequested());
    }

    void everyWindowHasItsOwnTitle() {
        struct Case {
            Kind kind;
            const char* english;
            const char* japanese;
        } const cases[] = {
            {Kind::Preferences, "Preferences", "環境設定"},
            {Kind::About, "About Vimbrelcastor", "バージョン情報"},
            {Kind::Destination, "Destination", "保存先の指定"},
            {Kind::Placement, "Place the image", "画像の移動"},
            {Kind::Convert, "Convert and Save", "変換＆保存"},
        };
        for (const auto language : {Messages::Language::English, Messages::Language::Japanese}) {
            Messages::SetLanguage(language);
            const bool english = language == Messages::Language::English;
            for (const Case& c : cases) {
                QCOMPARE(Make(c.kind)->windowTitle(),
                         QString::fromUtf8(english ? c.english : c.japanese));
            }
            QCOMPARE(CCustomFileDialog(QString()).windowTitle(),
                     QString::fromUtf8(english ? "Import file" : "画像取込"));
        }
        Messages::SetLanguage(Messages::Language::English);
    }

    void tabInTheMainWindow() {
        QTemporaryDir profile;
        qputenv("XDG_CONFIG_HOME", profile.path().toUtf8());
        AppSettings settings;
        ResetSettings(settings);
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
            QWidget* focus = window.focusWidget();
            visited << (focus != nullptr ? focus->objectName() : QString());
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(visited, order);
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
