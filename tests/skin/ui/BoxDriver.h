#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QtTest>
#include <functional>

// Answers the next modal box from inside its own event loop, the way a user would: waits for
// the box to come up and be active, then runs act on it. A box that is still open afterwards
// is ended with -1 and the test fails, so a box that ignores its user cannot hang the test.
inline void AnswerNextBox(std::function<void(QDialog*)> act, int attempts = 200) {
    QTimer::singleShot(10, [act, attempts] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (attempts > 0)
                AnswerNextBox(act, attempts - 1);
            else
                QFAIL("no modal box came up");
            return;
        }
        if (!QTest::qWaitForWindowActive(box)) {
            box->done(-1);
            QFAIL("the box never became active");
        }
        act(box);
        if (box->isVisible()) {
            box->done(-1);
            QFAIL("the box stayed open");
        }
    });
}

// The ways a user can end a box.
enum class BoxAction { Click, Escape, Enter, CloseButton, WindowClose };

// Performs one action on an open box; button names the button to click, or to give the focus
// to before a key.
inline void Perform(QDialog* box, BoxAction action, const QString& button) {
    auto* target = button.isEmpty() ? nullptr : box->findChild<QAbstractButton*>(button);
    if (!button.isEmpty()) QVERIFY2(target != nullptr, qPrintable(button));
    switch (action) {
        case BoxAction::Click:
            QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
            break;
        case BoxAction::Escape:
        case BoxAction::Enter: {
            if (target != nullptr) target->setFocus();
            QWidget* receiver = box->focusWidget() != nullptr ? box->focusWidget() : box;
            QTest::keyClick(receiver,
                            action == BoxAction::Escape ? Qt::Key_Escape : Qt::Key_Return);
            break;
        }
        case BoxAction::CloseButton: {
            auto* close = box->findChild<QAbstractButton*>(QStringLiteral("close"));
            QVERIFY(close != nullptr);
            QVERIFY(close->isEnabled());
            QTest::mouseClick(close, Qt::LeftButton, {}, close->rect().center());
            break;
        }
        case BoxAction::WindowClose:
            box->close();
            break;
    }
}
