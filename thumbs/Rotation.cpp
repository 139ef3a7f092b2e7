#include "thumbs/Rotation.h"

#include <QTransform>

#include "core/WorkingList.h"

bool TurnSelected(WorkingList& list, int quarterTurns) {
    bool any = false;
    for (int row = 0; row < list.count(); ++row) {
        const ImageEntry& entry = list.at(row);
        if (!entry.selected) continue;
        any = true;
        list.SetTurn(row, AddTurns(entry.quarterTurns, quarterTurns),
                     TurnedImage(entry.thumbnail, quarterTurns));
        list.SetSaved(row, false);
    }
    return any;
}

int AddTurns(int quarterTurns, int more) {
    return ((quarterTurns + more) % 4 + 4) % 4;
}

QImage TurnedImage(const QImage& image, int quarterTurns) {
    const int turns = AddTurns(0, quarterTurns);
    if (image.isNull() || turns == 0) return image;
    QImage turned = image.transformed(QTransform().rotate(90.0 * turns));
    turned.setDevicePixelRatio(image.devicePixelRatio());
    return turned;
}
