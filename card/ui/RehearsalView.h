#pragma once

#include <QHash>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include "card/Rehearsal.h"

// The show rehearsed on screen: black, full screen, one picture at a time as it is (or was)
// written, scaled to the screen with its aspect kept, with a small caption of its place and
// name that fades out. The keys of RehearsalStepOfKey step, and so do clicks (left forward,
// right back); Esc or a double-click leaves. The
// pictures around the one shown are made on a worker of its own, one at a time, the shown one
// first; until it is ready the view says that it is preparing it. GUI thread.
class RehearsalView : public QWidget {
    Q_OBJECT

public:
    explicit RehearsalView(QList<RehearsalItem> items, QWidget* parent = nullptr);
    ~RehearsalView() override;

    int current() const { return current_; }  // 0-based
    int count() const { return int(items_.size()); }
    // The picture shown now; null while it is made or when it could not be made.
    QImage shownImage() const;
    // What shows instead of a picture: the preparing text, or the name and the reason it could
    // not be made; empty when a picture shows.
    QString shownText() const;
    // The caption: "n / N  name".
    QString caption() const;

    void Step(RehearsalStep step);

Q_SIGNALS:
    // The picture of index is made (or could not be made).
    void pictureMade(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // Drops the pictures that left the window and starts making the next one it lacks.
    void MakeNext();
    void ShowCaption();
    void Announce();

    QList<RehearsalItem> items_;
    int current_ = 0;
    QHash<int, RehearsalPicture> made_;
    int making_ = -1;  // the index on the worker, or -1
    QThreadPool pool_;
    QTimer captionTimer_;
    bool captionShown_ = true;
};
