#include "skin/ui/SkinnedBox.h"

#include <QAbstractButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/ui/BoxPrompter.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/MessageBox.h"
#include "skin/ui/OverwriteBox.h"
#include "skin/ui/WindowFront.h"

namespace {

// The boxes; the questions 105 and 125 and the overwrite question as the window asks them,
// through its Prompter.
enum class Box { Confirm, OverwriteAll, ExitQuestion, DeleteQuestion };

// The ways a user ends a box: a click on the named button, or a key with the focus moved to
// the named button first (none: as opened). Closing the window is Escape's reject().
enum class Act { Click, Escape, Enter };

int Run(Box box, const QString& text) {
    if (box == Box::Confirm) return MessageBox::Ask(text);
    if (box == Box::ExitQuestion || box == Box::DeleteQuestion) {
        const int id = box == Box::ExitQuestion ? msg::ExitWithoutSaving : msg::DeleteImage;
        return BoxPrompter().Confirm(id) ? MessageBox::kOk : MessageBox::kCancel;
    }
    return BoxPrompter().Overwrite(text, true);
}

// Answers the next modal box from inside its own event loop, once it is up and active. A box
// still open afterwards is ended with -1 and fails the test, so a box cannot hang it.
void AnswerNextBox(std::function<void(QDialog*)> act, int attempts = 200) {
    QTimer::singleShot(10, [act, attempts] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (box == nullptr && attempts > 0) return AnswerNextBox(act, attempts - 1);
        QVERIFY2(box != nullptr, "no modal box came up");
        if (QTest::qWaitForWindowActive(box)) act(box);
        if (box->isVisible()) {
            box->done(-1);
            QFAIL("the box stayed open, or never became active");
        }
    });
}

void Perform(QDialog* box, Act act, const QString& button) {
    auto* target = button.isEmpty() ? nullptr : box->findChild<QAbstractButton*>(button);
    QVERIFY2(button.isEmpty() || target != nullptr, qPrintable(button));
    if (act == Act::Click) QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    if (act == Act::Escape || act == Act::Enter) {
        if (target != nullptr) target->setFocus();
        QTest::keyClick(box->focusWidget() != nullptr ? box->focusWidget() : box,
                        act == Act::Escape ? Qt::Key_Escape : Qt::Key_Return);
    }
}

}  // namespace

class SkinnedBoxTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answers() {
        // The information box is the question's with OK alone. Enter must not throw the list
        // away: only a move to OK does. A request to cancel the overwrite question is Cancel
        // (0), never Overwrite (2); only a button the user moved to answers Enter.
        const Act click = Act::Click;
        const Box all = Box::OverwriteAll;
        const struct {
            const char* name;
            Box box;
            Act act;
            QString button;  // clicked, or focused before the key; "": as opened
            int expected;
        } cases[] = {
            {"Confirm_OK", Box::Confirm, click, "ok", 1},
            {"Confirm_Cancel", Box::Confirm, click, "cancel", 2},
            {"Confirm_Escape", Box::Confirm, Act::Escape, "", 2},
            {"Confirm_Enter_as_opened_is_OK", Box::Confirm, Act::Enter, "", 1},
            {"Exit_Enter_as_opened_is_Cancel", Box::ExitQuestion, Act::Enter, "", 2},
            {"Exit_Enter_on_OK", Box::ExitQuestion, Act::Enter, "ok", 1},
            {"Delete_Enter_as_opened_is_OK", Box::DeleteQuestion, Act::Enter, "", 1},
            {"Overwrite", all, click, "overwrite", 2},
            {"No", all, click, "no", 1},
            {"Save_next", all, click, "saveNext", 4},
            {"Overwrite_all", all, click, "overwriteAll", 3},
            {"Break", all, click, "break", 0},
            {"Overwrite_Escape", all, Act::Escape, "", 0},
            {"Overwrite_Enter_as_opened_is_No", all, Act::Enter, "", 1},
            {"Overwrite_Enter_on_Save_next", all, Act::Enter, "saveNext", 4},
        };
        for (const auto& c : cases) {
            AnswerNextBox([&](QDialog* open) { Perform(open, c.act, c.button); });
            QVERIFY2(Run(c.box, QStringLiteral("The question")) == c.expected, c.name);
        }
    }

    // "Overwrite all" only in a save of all images; no close button to cancel the question.
    void overwriteAllFollowsTheSaveAllMode() {
        for (bool saveAll : {false, true}) {
            OverwriteBox box(saveAll);
            for (const char* name : {"overwrite", "no", "saveNext", "overwriteAll", "break"}) {
                auto* button = box.findChild<QAbstractButton*>(name);
                QVERIFY2(button != nullptr, name);
                QVERIFY2(button->isEnabled() == (saveAll || qstrcmp(name, "overwriteAll") != 0),
                         name);
            }
            QVERIFY(box.findChild<QAbstractButton*>(QStringLiteral("close")) == nullptr);
        }
    }

    void aBoxRestoresTheMinimisedMainWindowFirst() {
        QWidget main;
        main.resize(400, 300);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        SetMainWindow(&main);
        main.showMinimized();
        QTRY_VERIFY(main.isMinimized());

        bool minimisedWhileShown = true;
        AnswerNextBox([&](QDialog* open) {
            minimisedWhileShown = main.isMinimized();
            QCOMPARE(open->parentWidget(), &main);
            open->accept();
        });
        MessageBox::Show(QStringLiteral("Failed to load slides."));
        SetMainWindow(nullptr);
        QVERIFY(!minimisedWhileShown);
    }

    // The prompter shows the text of the id, or the plain text; a long one makes the box taller
    // instead of cutting the text, in both languages.
    void theBoxShowsThePromptersTextInFull() {
        QString path = QStringLiteral("/media/card/");
        while (path.size() < 200) path += QStringLiteral("PresentationSlidesForTheAnnualMeeting_");
        const QString taken = QStringLiteral("DUVU0001.JPG exists");
        BoxPrompter prompter;
        const struct {
            Messages::Language language;
            std::function<void()> ask;
            QString shown;
        } cases[] = {
            {Messages::Language::English, [&] { prompter.Info(msg::UnsupportedFormat, path); },
             Messages::Format(msg::UnsupportedFormat, path, Messages::Language::English)},
            {Messages::Language::Japanese, [&] { prompter.Overwrite(path, true); }, path},
            {Messages::Language::Japanese, [&] { prompter.Confirm(msg::DeleteImage); },
             Messages::Load(msg::DeleteImage, Messages::Language::Japanese)},
            {Messages::Language::English, [&] { prompter.Plain(taken); }, taken},
        };
        for (const auto& c : cases) {
            Messages::SetLanguage(c.language);
            AnswerNextBox([&](QDialog* open) {
                auto* label = open->findChild<ColorStatic*>(QStringLiteral("text"));
                QVERIFY(label != nullptr);
                QCOMPARE(label->text(), c.shown);
                QVERIFY(label->height() >= label->heightForWidth(label->width()));
                QVERIFY(open->rect().contains(label->geometry()));
                for (auto* button : open->findChildren<QAbstractButton*>()) {
                    if (button->objectName() == QLatin1String("close")) continue;
                    QVERIFY2(button->geometry().top() >= label->geometry().bottom(),
                             qPrintable(button->objectName()));
                    QVERIFY(open->rect().contains(button->geometry()));
                }
                open->reject();
            });
            c.ask();
        }
        Messages::SetLanguage(Messages::Language::English);
    }
};

QTEST_MAIN(SkinnedBoxTest)
#include "SkinnedBoxTest.moc"
