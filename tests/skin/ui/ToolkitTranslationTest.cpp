#include "skin/ToolkitTranslation.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

// Qt's own buttons and file picker speak the program's language, through the translations the
// system installs for Qt.
class ToolkitTranslationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void qtsTextsFollowTheLanguage() {
        for (const auto language : {Messages::Language::Japanese, Messages::Language::English}) {
            const bool japanese = language == Messages::Language::Japanese;
            QCOMPARE(ToolkitTranslation::Install(language), japanese);
            QDialogButtonBox buttons(QDialogButtonBox::Cancel);
            QCOMPARE(buttons.buttons().first()->text(),
                     QString::fromUtf8(japanese ? "キャンセル" : "Cancel"));
            QFileDialog picker;
            picker.setOption(QFileDialog::DontUseNativeDialog);
            QStringList labels;
            for (const QLabel* label : picker.findChildren<QLabel*>()) labels << label->text();
            QVERIFY2(labels.contains(QString::fromUtf8(japanese ? "アドレス:" : "Look in:")),
                     qPrintable(labels.join(", ")));
        }
    }
};

QTEST_MAIN(ToolkitTranslationTest)
#include "ToolkitTranslationTest.moc"
