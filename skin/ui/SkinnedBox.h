#pragma once

#include <QList>
#include <QRect>
#include <QStyle>

#include "skin/ui/SkinConstants.h"
#include "skin/ui/SkinnedDialog.h"

class ColorStatic;
class QLabel;
class SkinButton;

// The common body of the program's message boxes (MessageBox, OverwriteBox): a system
// icon, a wrapped text, a centred row of skinned buttons that each end the box with their
// answer, and one answer for every request to go away without a button (Escape, the close
// button, a close from the window manager). Enter acts on the focused button only: a box has no
// default answer, so a stray Enter cannot overwrite anything. Created on
// the stack for one question; GUI thread.
class SkinnedBox : public SkinnedDialog {
    Q_OBJECT

public:
    // Where the parts sit while the text fits its area; a longer text makes the area and the
    // box taller and moves the buttons down.
    struct Geometry {
        int width;  // used only when the title picture is missing
        QPoint icon;
        QRect text;
        int buttonsTop;
        int height;
    };

    void SetText(const QString& text);
    QString Text() const;

    // Brings the main window forward, then runs the box modally; returns its answer.
    int ShowModal();

    // The answer to Escape and to every close request.
    int CancelAnswer() const { return cancelAnswer_; }

public Q_SLOTS:
    void reject() override;

protected:
    SkinnedBox(const Geometry& geometry, int cancelAnswer, QWidget* parent);

    void SetIcon(QStyle::StandardPixmap icon);
    // A button in the row (left to right in the order added) that ends the box with answer.
    SkinButton* AddButton(const QString& name, const QString& caption,
                          const skin::ButtonBitmaps& bitmaps, int answer);

    void showEvent(QShowEvent* event) override;

private:
    void LayOut();

    Geometry geometry_;
    int cancelAnswer_;
    QLabel* icon_;
    ColorStatic* text_;
    QList<SkinButton*> buttons_;
};
