#pragma once

#include <QDialog>

// The program's only top-level window. For now an empty frame titled with the program's
// name; the buttons, menus and the thumbnail view are added as they land. GUI thread.
class MainDialog : public QDialog {
    Q_OBJECT

public:
    explicit MainDialog(QWidget* parent = nullptr);
};
