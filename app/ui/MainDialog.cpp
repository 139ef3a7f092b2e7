#include "app/ui/MainDialog.h"

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"

MainDialog::MainDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Messages::Load(msg::WindowTitle));
    resize(700, 540);
}
