#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QList>
#include <QPoint>
#include <QPointer>

#include "skin/ui/SkinConstants.h"

class SkinButton;

// A frameless dialog with the skinned frame: a title band drawn from an active and an inactive
// picture that drags the window, optional close and minimise buttons in the band, and a thin
// two-coloured border. Enter presses the focused push button, or the default button; Escape does
// nothing unless a subclass allows it. Base of every window of the program; owned like any
// dialog by whoever shows it. GUI thread.
class SkinnedDialog : public QDialog {
    Q_OBJECT

public:
    explicit SkinnedDialog(QWidget* parent = nullptr);

    // Makes the window exactly as wide as the active picture (its height stays); an inactive id
    // of 0, or a missing inactive picture, shows the active one in both states.
    void SetTitlePictures(int active, int inactive);
    void SetTitlePictures(const skin::TitlePictures& pictures);
    // Sets the window title to the text of a string id, unless that text is missing or empty.
    void SetTitleFromString(int id);

    // Title-bar buttons; right is the distance of their left edge from the window's right edge,
    // which they keep when the window is resized. Close asks the window to close (as Alt+F4
    // does); minimise minimises it.
    SkinButton* AddCloseButton(int normal, int pressed, int hover, int disabled, int right,
                               int top);
    SkinButton* AddMinimiseButton(int normal, int pressed, int hover, int disabled, int right,
                                  int top);
    SkinButton* AddCloseButton();
    SkinButton* AddMinimiseButton();

    // The band that drags the window: as high as the title picture, inside the border.
    QRect TitleBand() const;
    bool IsShownActive() const;

    // Showing gives the window its place first: centred on its owner (or the screen) and
    // inside the screen's available area (see WindowPlacement.h for why not later).
    void setVisible(bool visible) override;

protected:
    // Whether Escape ends the dialog (through reject()); off by default.
    void SetEscapeCloses(bool closes) { escapeCloses_ = closes; }
    // The button Enter presses while no push button has the focus (none by default: Enter
    // then presses only a focused button).
    void SetDefaultButton(QAbstractButton* button) { defaultButton_ = button; }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct TitleButton {
        SkinButton* button;
        int right;
        int top;
    };

    SkinButton* AddTitleButton(const QString& name, int normal, int pressed, int hover,
                               int disabled, int right, int top);
    void PlaceTitleButtons();
    void UpdateActivation();

    // The title pictures, fetched when the window paints, at the ratio of its screen; 0 for
    // none.
    int activeTitle_ = 0;
    int inactiveTitle_ = 0;
    QList<TitleButton> titleButtons_;
    bool escapeCloses_ = false;
    QPointer<QAbstractButton> defaultButton_;
    bool dragging_ = false;
    QPoint dragOffset_;  // from the window's top-left corner to the grabbing cursor
};
