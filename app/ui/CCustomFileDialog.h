#pragma once

#include <QFileDialog>

class QPushButton;

// The dialog of Import file: the toolkit's own open-file dialog (the same on every desktop)
// with one more button, "Load All" (Alt+L), below Cancel, which imports the whole folder the
// dialog shows. Its first filter lists every image type the program imports, its second is JPEG
// alone (string 109); both match names without regard to case. chosenFolder() is empty
// unless "Load All" ended the dialog. GUI thread.
class CCustomFileDialog : public QFileDialog {
    Q_OBJECT

public:
    explicit CCustomFileDialog(const QString& folder, QWidget* parent = nullptr);

    QString chosenFolder() const { return chosenFolder_; }
    QPushButton* loadAllButton() const { return loadAll_; }

    // A string-table filter as the file dialog takes it: "Description (*.jpg)".
    static QString QtFilter(const QString& filterText, const QString& extraPatterns = QString());

private:
    void LoadAll();

    QPushButton* loadAll_ = nullptr;
    QString chosenFolder_;
};
