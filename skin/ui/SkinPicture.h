#pragma once

#include <QIcon>
#include <QWidget>

// A picture that stands still in a window: a skin bitmap by id at its stated size (the panels
// behind groups of controls), or an icon at a given size (the program mark). It is drawn when
// the window paints, at the pixel ratio of the screen the window is on, so a window moved to
// another screen shows it sharp there too. Owned by its window; GUI thread.
class SkinPicture : public QWidget {
    Q_OBJECT

public:
    SkinPicture(int id, QWidget* parent);
    SkinPicture(const QIcon& icon, QSize size, QWidget* parent);

    int Id() const { return id_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int id_ = 0;
    QIcon icon_;
};
