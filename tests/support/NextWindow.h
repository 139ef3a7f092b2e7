#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

#include "skin/ui/WindowFront.h"

// For widget tests that open the program's own popups and modal windows, whose loops block
// the caller: runs check on the next popup or modal window other than the main window, from
// inside its loop once the platform has shown it, then closes it. Fails the test when none
// comes up within about two seconds.
inline void OnNextWindow(std::function<void(QWidget*)> check, int attempts = 200) {
    QTimer::singleShot(10, [check, attempts] {
        QWidget* window = QApplication::activePopupWidget();
        if (window == nullptr) window = QApplication::activeModalWidget();
        if (window == nullptr || window == MainWindow()) {
            QVERIFY2(attempts > 0, "no window came up");
            return OnNextWindow(check, attempts - 1);
        }
        if (QTest::qWaitForWindowExposed(window)) check(window);
        window->close();
    });
}
