#pragma once

#include <QList>
#include <QPointer>
#include <QSize>

#include "skin/ui/SkinnedDialog.h"

class QSizeGrip;

// A skinned dialog the user can resize from its bottom-right corner and maximise (a double click
// on the title band, or the desktop's own keys): anchored controls move or stretch with the
// right and bottom edges, the size it was laid out at is its minimum, and the last size is kept
// in the profile under the dialog's template id. Used by the main window, which owns it for the
// whole run; GUI thread.
class ResizableDialog : public SkinnedDialog {
    Q_OBJECT

public:
    // How an anchored control follows the window; the numbers combine as bits.
    enum AnchorFlag : int {
        MoveRight = 1,
        MoveDown = 2,
        StretchRight = 4,  // wins over MoveRight
        StretchDown = 8,   // wins over MoveDown
    };

    explicit ResizableDialog(int templateId, QWidget* parent = nullptr);
    ~ResizableDialog() override;

    int TemplateId() const { return templateId_; }
    // Flags 0 are ignored.
    void AddAnchor(QWidget* control, int flags);

    // Takes the present size as the minimum and as the base the anchors follow from, then
    // restores the size kept in the profile (fitted to the screen when the window is shown).
    // Call it once the controls are laid out; the first show does it otherwise. Later calls do
    // nothing.
    void InitialiseSize();

    void setVisible(bool visible) override;

    // Whether the window changed its size since InitialiseSize; only then is the size stored.
    bool WasResized() const { return resized_; }
    // The profile group of this dialog: its template id in lower-case hexadecimal.
    QString ProfileGroup() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Anchor {
        QPointer<QWidget> control;
        int flags;
    };

    void StoreSize() const;
    void PlaceSizeCorner();

    int templateId_;
    QList<Anchor> anchors_;
    QSize lastSize_;
    bool initialised_ = false;
    bool resized_ = false;
    QSizeGrip* sizeCorner_;
};
