// The parameter dialog on the Mac: a modal Cocoa window built in code from the
// Windows template's layout (dialog_layout.h), run with NSApp's
// runModalForWindow: and ended with stopModalWithCode:. Two classes made at
// run time carry its messages to the module's events: a flipped content view
// whose drawing calls onPaint, and a target that receives every control's
// action and the fields' text changes.

#include "platform/dialog_window.h"

#include "platform/mac/appkit.h"
#include "platform/mac/cocoa_objects.h"
#include "platform/mac/dialog_record.h"
#include "platform/mac/pictures.h"

namespace {

constexpr CGFloat kSmallFontPoints = 11;
constexpr char kControlAction[] = "controlAction:";

// The one open dialog; the classes' methods act on it. Its storage is reused
// from one opening to the next.
DialogWindowRecord openRecord;
DialogWindow openDialog = nullptr;

// --- the classes' methods -----------------------------------------------------------

BOOL viewIsFlipped(id /*self*/, SEL /*_cmd*/) { return YES; }

void viewDrawRect(id self, SEL /*_cmd*/, CGRect /*dirty: the module paints its whole area*/) {
    DialogWindow dialog = openDialog;
    if (!dialog || self != dialog->contentView) return;
    id graphics = send(classNamed("NSGraphicsContext"), "currentContext");
    void* context = graphics ? send<void*>(graphics, "CGContext") : nullptr;
    if (!context) return;
    // What displayPixels takes as its platform context: the view's CoreGraphics
    // context and the area drawn, the whole view, in its own coordinates.
    PSPlatformContext drawing = {
        context, VRect{0, 0, verticalPoints(kDialogHeightUnits), horizontalPoints(kDialogWidthUnits)}};
    if (dialog->paintNow) {
        dialog->paintNow(dialog, &drawing, dialog->paintNowContext);
    } else if (dialog->events->onPaint) {
        dialog->events->onPaint(dialog, &drawing);
    }
}

void targetControlAction(id /*self*/, SEL /*_cmd*/, id sender) {
    DialogWindow dialog = openDialog;
    const MacControl* control = controlWithView(dialog, sender);
    if (!control) return;
    const DialogEvents& events = *dialog->events;
    // A slider sends its action while the thumb is dragged (it is continuous)
    // and when it is dropped, as a Windows trackbar sends TB_THUMBTRACK and
    // TB_THUMBPOSITION; AppKit sends it for the arrow keys as well.
    if (control->kind == MacControlKind::slider) {
        if (events.onSliderMoved) events.onSliderMoved(dialog, control->controlId);
        return;
    }
    if (events.onCommand) events.onCommand(dialog, control->controlId, ControlNotification::clicked);
}

// NSControlTextEditingDelegate: the user changed a field's text. Texts written by
// the module itself (setStringValue:) send nothing.
void targetTextDidChange(id /*self*/, SEL /*_cmd*/, id notification) {
    DialogWindow dialog = openDialog;
    if (!dialog || !notification) return;
    const MacControl* control = controlWithView(dialog, send(notification, "object"));
    if (!control || !dialog->events->onCommand) return;
    dialog->events->onCommand(dialog, control->controlId, ControlNotification::textChanged);
}

// BOOL is 'c' (signed char) on x86_64 and 'B' (bool) on arm64.
#if defined(__x86_64__)
constexpr char kBoolMethodTypes[] = "c@:";
#else
constexpr char kBoolMethodTypes[] = "B@:";
#endif
constexpr char kDrawRectTypes[] = "v@:{CGRect={CGPoint=dd}{CGSize=dd}}";
constexpr char kObjectArgumentTypes[] = "v@:@";

Class dialogViewClass() {
    const MethodEntry methods[] = {
        {"isFlipped", reinterpret_cast<IMP>(viewIsFlipped), kBoolMethodTypes},
        {"drawRect:", reinterpret_cast<IMP>(viewDrawRect), kDrawRectTypes},
    };
    return makeClass("NSView", "LumiveilDialogView", methods, 2);
}

Class dialogTargetClass() {
    const MethodEntry methods[] = {
        {kControlAction, reinterpret_cast<IMP>(targetControlAction), kObjectArgumentTypes},
        {"controlTextDidChange:", reinterpret_cast<IMP>(targetTextDidChange),
         kObjectArgumentTypes},
    };
    return makeClass("NSObject", "LumiveilDialogTarget", methods, 2);
}

// --- building the window ----------------------------------------------------------

void useSmallSize(id control, bool withText) {
    send<void>(control, "setControlSize:", NSControlSizeSmall);
    if (withText) {
        send<void>(control, "setFont:",
                   send(classNamed("NSFont"), "systemFontOfSize:", kSmallFontPoints));
    }
}

void sendActionsTo(id control, id target) {
    send<void>(control, "setTarget:", target);
    send<void>(control, "setAction:", sel_registerName(kControlAction));
}

id makeButton(const ControlLayout& layout, const CGRect& frame, id target) {
    id button = makeView("NSButton", frame);
    if (!button) return nullptr;
    send<void>(button, "setTitle:", nsString(layout.text));
    if (layout.kind == MacControlKind::checkBox) {
        send<void>(button, "setButtonType:", NSButtonTypeSwitch);
    } else {
        send<void>(button, "setButtonType:", NSButtonTypeMomentaryPushIn);
        send<void>(button, "setBezelStyle:", NSBezelStyleRounded);
    }
    if (layout.kind == MacControlKind::defaultButton) {
        send<void>(button, "setKeyEquivalent:", nsString(kReturnKey));
    } else if (layout.kind == MacControlKind::cancelButton) {
        send<void>(button, "setKeyEquivalent:", nsString(kEscapeKey));
    }
    useSmallSize(button, true);
    sendActionsTo(button, target);
    return button;
}

id makeLabel(const ControlLayout& layout, const CGRect& frame) {
    // labelWithString: gives an autoreleased label: the view tree keeps it.
    id label = send(classNamed("NSTextField"), "labelWithString:", nsString(layout.text));
    if (!label) return nullptr;
    send<void>(label, "retain");  // released with the made views, like them
    send<void>(label, "setFrame:", frame);
    send<void>(label, "setAlignment:", layout.kind == MacControlKind::labelRight
                                           ? NSTextAlignmentRight
                                           : NSTextAlignmentLeft);
    useSmallSize(label, true);
    return label;
}

id makeControlView(const ControlLayout& layout, const CGRect& frame, id target) {
    switch (layout.kind) {
        case MacControlKind::defaultButton:
        case MacControlKind::cancelButton:
        case MacControlKind::pushButton:
        case MacControlKind::checkBox:
            return makeButton(layout, frame, target);
        case MacControlKind::labelRight:
        case MacControlKind::labelLeft:
            return makeLabel(layout, frame);
        case MacControlKind::slider: {
            id slider = makeView("NSSlider", frame);
            if (!slider) return nullptr;
            send<void>(slider, "setContinuous:", YES);
            useSmallSize(slider, false);
            sendActionsTo(slider, target);
            return slider;
        }
        case MacControlKind::field: {
            id field = makeView("NSTextField", frame);
            if (!field) return nullptr;
            send<void>(field, "setStringValue:", nsString(layout.text));
            send<void>(field, "setDelegate:", target);
            useSmallSize(field, true);
            return field;
        }
        case MacControlKind::band: {
            id band = makeView("NSImageView", frame);
            id picture = makePicture(kDialogBandBmp, kDialogBandBmpSize, kDialogBandWidth,
                                     kDialogBandHeight);
            if (band) {
                send<void>(band, "setImageScaling:", NSImageScaleNone);
                send<void>(band, "setImage:", picture);
            }
            releaseObject(picture);
            return band;
        }
        case MacControlKind::previewFrame:
            return nullptr;  // an area only
    }
    return nullptr;
}

// The controls in the template's order; false when a view could not be made.
bool addControls(DialogWindowRecord& record) {
    record.controlCount = 0;
    for (int32 k = 0; k < kParameterDialogControlCount && k < kMaxDialogControls; ++k) {
        const ControlLayout& layout = kParameterDialogLayout[k];
        MacControl& control = record.controls[record.controlCount++];
        control = MacControl{layout.id, layout.kind, nullptr, controlFrame(layout), 0, 0, 0};
        if (layout.kind == MacControlKind::previewFrame) continue;
        control.view = makeControlView(layout, rectOf(control.frame), record.target);
        if (!control.view) return false;
        send<void>(record.contentView, "addSubview:", control.view);
        send<void>(control.view, "release");  // the content view holds it now
    }
    return true;
}

// The window, its content view, the target and the controls; false when any is
// missing (AppKit not loaded, say), with whatever was made released again.
bool makeDialogWindow(DialogWindowRecord& record) {
    Class viewClass = dialogViewClass();
    Class targetClass = dialogTargetClass();
    id windowClass = classNamed("NSWindow");
    if (!viewClass || !targetClass || !windowClass) return false;
    const CGRect content = {{0, 0},
                            {CGFloat(horizontalPoints(kDialogWidthUnits)),
                             CGFloat(verticalPoints(kDialogHeightUnits))}};
    // Titled, without a close box: the dialog ends through OK and Cancel only.
    record.window = send(send(windowClass, "alloc"), "initWithContentRect:styleMask:backing:defer:",
                         content, NSWindowStyleMaskTitled, NSBackingStoreBuffered, NO);
    if (!record.window) return false;
    send<void>(record.window, "setReleasedWhenClosed:", NO);
    send<void>(record.window, "setTitle:", nsString(kDialogTitle));
    record.contentView = send(send(reinterpret_cast<id>(viewClass), "alloc"), "initWithFrame:",
                              content);
    if (!record.contentView) return false;
    send<void>(record.window, "setContentView:", record.contentView);
    send<void>(record.contentView, "release");  // the window holds it now
    record.target = send(send(reinterpret_cast<id>(targetClass), "alloc"), "init");
    if (!record.target || !addControls(record)) return false;
    send<void>(record.window, "center");
    return true;
}

void releaseDialogWindow(DialogWindowRecord& record) {
    if (record.window) send<void>(record.window, "orderOut:", static_cast<id>(nullptr));
    releaseObject(record.window);  // and with it the content view and the controls
    releaseObject(record.target);
    record = DialogWindowRecord{};
}

}  // namespace

DialogOutcome runParameterDialogWindow(const void* /*platformData: a dummy on the Mac*/,
                                       const DialogEvents& events, void* context) {
    // The texts and pictures made for the window live until it is gone.
    id pool = send(send(classNamed("NSAutoreleasePool"), "alloc"), "init");
    id application = send(classNamed("NSApplication"), "sharedApplication");
    DialogWindowRecord& record = openRecord;
    record = DialogWindowRecord{};
    record.events = &events;
    DialogOutcome outcome = {false, 0, 0};
    if (application && makeDialogWindow(record)) {
        openDialog = &record;
        if (events.onInit) events.onInit(openDialog, context);
        outcome.opened = true;
        outcome.endCode =
            static_cast<int32>(send<NSInteger>(application, "runModalForWindow:", record.window));
    }
    openDialog = nullptr;
    releaseDialogWindow(record);
    releaseObject(pool);
    return outcome;
}

void endDialog(DialogWindow /*dialog: the one modal window*/, int32 endCode) {
    send<void>(send(classNamed("NSApplication"), "sharedApplication"), "stopModalWithCode:",
               NSInteger(endCode));
}

void warningBeep() { NSBeep(); }

void paintDialogNow(DialogWindow dialog, PaintProc paint, void* context) {
    if (!dialog || !dialog->contentView) return;
    dialog->paintNow = paint;
    dialog->paintNowContext = context;
    send<void>(dialog->contentView, "display");  // draws at once, through drawRect:
    dialog->paintNow = nullptr;
    dialog->paintNowContext = nullptr;
}

void invalidateDialogArea(DialogWindow dialog, const Rect& area) {
    if (!dialog || !dialog->contentView) return;
    send<void>(dialog->contentView, "setNeedsDisplayInRect:", rectOf(area));
}

void outlineArea(void* drawingContext, const Rect& area) {
    const PSPlatformContext* drawing = static_cast<const PSPlatformContext*>(drawingContext);
    if (!drawing || !drawing->fCGContextRef) return;
    const CGRect frame = rectOf(area);
    const CGFloat x = frame.origin.x, y = frame.origin.y;
    const CGFloat width = frame.size.width, height = frame.size.height;
    // One point of black along the inside of each edge.
    const CGRect edges[] = {{{x, y}, {width, 1}},
                            {{x, y + height - 1}, {width, 1}},
                            {{x, y}, {1, height}},
                            {{x + width - 1, y}, {1, height}}};
    CGContextSetRGBFillColor(drawing->fCGContextRef, 0, 0, 0, 1);
    CGContextFillRects(drawing->fCGContextRef, edges, sizeof edges / sizeof edges[0]);
}
