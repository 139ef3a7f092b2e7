#include "skin/ui/OwnerDrawMenu.h"

#include <QtTest>

#include "skin/ui/SkinConstants.h"

namespace {

// Whether any pixel of the column range [left, right) of row band looks like text.
bool HasTextBetween(const QImage& image, const QRect& band, int left, int right) {
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = left; x < right; ++x) {
            if (qGray(image.pixel(x, y)) < 100) return true;
        }
    }
    return false;
}

}  // namespace

class OwnerDrawMenuTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitsAtTheTab_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::newRow("shortcut") << "Convert and Save(&S)\tCtrl+S"
                                  << "Convert and Save(&S)"
                                  << "Ctrl+S";
        QTest::newRow("no_tab") << "Delete All(&A)"
                                << "Delete All(&A)"
                                << "";
        QTest::newRow("only_the_first_tab") << "a\tb\tc"
                                            << "a"
                                            << "b\tc";
        QTest::newRow("empty_left") << "\tDel"
                                    << ""
                                    << "Del";
    }

    void splitsAtTheTab() {
        QFETCH(QString, text);
        QFETCH(QString, left);
        QFETCH(QString, right);
        const auto texts = OwnerDrawMenu::SplitItemText(text);
        QCOMPARE(texts.left, left);
        QCOMPARE(texts.right, right);
    }

    void drawsItemsAndSeparatorsInTheSkinColours() {
        OwnerDrawMenu menu;
        QAction* convert = menu.addAction(QStringLiteral("Convert and Save(&S)\tCtrl+S"));
        QAction* separator = menu.addSeparator();
        QAction* close = menu.addAction(QStringLiteral("Close(&X)"));
        close->setEnabled(false);
        menu.popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));

        const QRect item = menu.actionGeometry(convert);
        QImage image = menu.grab().toImage();
        QCOMPARE(QColor(image.pixel(item.left() + 4, item.top() + 2)),
                 QColor(skin::kMenuBackground));

        // The text starts at the left inset, the shortcut ends at the right one, and nothing
        // is drawn in between.
        const int shortcut = menu.fontMetrics().horizontalAdvance(QStringLiteral("Ctrl+S"));
        const int label =
            menu.fontMetrics().horizontalAdvance(QStringLiteral("Convert and Save(S)"));
        QVERIFY(!HasTextBetween(image, item, item.left(), item.left() + 11));
        QVERIFY(HasTextBetween(image, item, item.left() + 12, item.left() + 24));
        QVERIFY(HasTextBetween(image, item, item.right() - 12 - shortcut, item.right() - 11));
        QVERIFY(
            !HasTextBetween(image, item, item.left() + 14 + label, item.right() - 14 - shortcut));
        QVERIFY(!HasTextBetween(image, item, item.right() - 10, item.right() + 1));

        // Separator: a dark line over a light one at half height, 2 pixels in from each side.
        const QRect line = menu.actionGeometry(separator);
        const int upper = line.top() + line.height() / 2 - 1;
        QCOMPARE(QColor(image.pixel(line.left() + 2, upper)), QColor(skin::kDarkEdge));
        QCOMPARE(QColor(image.pixel(line.right() - 2, upper + 1)), QColor(skin::kLightEdge));
        QCOMPARE(QColor(image.pixel(line.left() + 1, upper)), QColor(skin::kMenuBackground));
        QCOMPARE(QColor(image.pixel(line.left() + 5, upper - 1)), QColor(skin::kMenuBackground));

        // A disabled item has gray text.
        const QRect grayed = menu.actionGeometry(close);
        bool gray = false;
        for (int x = grayed.left() + 12; x < grayed.left() + 40 && !gray; ++x) {
            for (int y = grayed.top(); y <= grayed.bottom(); ++y) {
                if (QColor(image.pixel(x, y)) == QColor(skin::kGrayedText)) gray = true;
            }
        }
        QVERIFY(gray);
        QVERIFY(!HasTextBetween(image, grayed, grayed.left(), grayed.right()));

        // The highlighted item takes the light colour.
        menu.setActiveAction(convert);
        image = menu.grab().toImage();
        QCOMPARE(QColor(image.pixel(item.left() + 4, item.top() + 2)), QColor(skin::kLightEdge));
        menu.close();
    }
};

QTEST_MAIN(OwnerDrawMenuTest)
#include "OwnerDrawMenuTest.moc"
