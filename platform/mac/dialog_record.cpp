#include "platform/mac/dialog_record.h"

MacControl* controlWithId(DialogWindow dialog, int32 controlId) {
    if (!dialog || controlId == kNoControl) return nullptr;
    for (int32 k = 0; k < dialog->controlCount; ++k) {
        if (dialog->controls[k].controlId == controlId) return &dialog->controls[k];
    }
    return nullptr;
}

MacControl* controlWithView(DialogWindow dialog, id view) {
    if (!dialog || !view) return nullptr;
    for (int32 k = 0; k < dialog->controlCount; ++k) {
        if (dialog->controls[k].view == view) return &dialog->controls[k];
    }
    return nullptr;
}
