#pragma once

#include <QColor>
#include <QLabel>

class QTextLayout;

// A label with its own text and background colours, for message texts and the labels on the
// skinned panels. With word wrap on (the default) a word longer than the line, such as a long
// path, is broken wherever needed so the whole text shows. Owned by its dialog; GUI thread.
class ColorStatic : public QLabel {
    Q_OBJECT

public:
    ColorStatic(const QColor& textColour, const QColor& background, QWidget* parent = nullptr);

    void SetColours(const QColor& textColour, const QColor& background);
    QColor TextColour() const { return textColour_; }
    QColor Background() const { return background_; }

    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Breaks the text into lines of at most width pixels; returns the height they take.
    int LayOutText(QTextLayout& layout, int width) const;

    QColor textColour_;
    QColor background_;
};
