#pragma once

#include <QList>

class BitmapRadio;

// An ordered set of BitmapRadio buttons of which at most one is checked. Held by the dialog
// that owns the buttons; the buttons and the group may be destroyed in either order. GUI thread.
class RadioGroup {
public:
    RadioGroup() = default;
    ~RadioGroup();
    RadioGroup(const RadioGroup&) = delete;
    RadioGroup& operator=(const RadioGroup&) = delete;

    // Appends a button; a button can be in one group only, so it leaves any earlier one.
    void Add(BitmapRadio* button);
    const QList<BitmapRadio*>& Buttons() const { return buttons_; }
    // The checked button, or nullptr.
    BitmapRadio* CheckedButton() const;

private:
    friend class BitmapRadio;

    void Remove(BitmapRadio* button);
    void UncheckAllBut(BitmapRadio* checked);

    QList<BitmapRadio*> buttons_;
};
