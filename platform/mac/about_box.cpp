// The About box on the Mac: a small modal window with the About picture and,
// under it, the filter's name, version and maker. A click on the picture,
// Return, Escape or the close box closes it. The Mac has no host window to
// place it over (the record's PlatformData is a dummy), so it is centred on the
// screen and the record is not read.

#include "platform/about_box.h"

#include "platform/mac/appkit.h"
#include "platform/mac/cocoa_objects.h"
#include "platform/mac/pictures.h"
#include "platform/module_strings.h"
#include "resources/resource_ids.h"

namespace {

constexpr int32 kCaptionCapacity = 128;
// LUMIVEIL_RELEASE_VERSION: the VERSION file's major.minor.patch, from the build.
constexpr char kAboutText[] =
    "Lumiveil " LUMIVEIL_RELEASE_VERSION "\nHarborlight Effects\nQuiet Harbor Studio";
constexpr CGFloat kTextGap = 8;  // points between the picture and the text
constexpr CGFloat kTextHeight = 48;  // three lines of the small system font
constexpr CGFloat kSmallFontPoints = 11;
constexpr char kCloseAction[] = "closeAbout:";

// Every way of closing ends the modal run; the window is put away after it.
void aboutClose(id /*self*/, SEL /*_cmd*/, id /*sender or notification*/) {
    send<void>(send(classNamed("NSApplication"), "sharedApplication"), "stopModalWithCode:",
               NSInteger(0));
}

Class aboutTargetClass() {
    const MethodEntry methods[] = {
        {kCloseAction, reinterpret_cast<IMP>(aboutClose), "v@:@"},
        // NSWindowDelegate: the close box.
        {"windowWillClose:", reinterpret_cast<IMP>(aboutClose), "v@:@"},
    };
    return makeClass("NSObject", "LumiveilAboutTarget", methods, 2);
}

// A button without a border that closes the box: the picture itself, and an
// invisible one for Escape.
id makeClosingButton(const CGRect& frame, id picture, const char* key, id target) {
    id button = makeView("NSButton", frame);
    if (!button) return nullptr;
    send<void>(button, "setBordered:", NO);
    send<void>(button, "setTitle:", nsString(""));
    if (picture) {
        send<void>(button, "setImage:", picture);
        send<void>(button, "setImagePosition:", NSImageOnly);
    }
    send<void>(button, "setKeyEquivalent:", nsString(key));
    send<void>(button, "setTarget:", target);
    send<void>(button, "setAction:", sel_registerName(kCloseAction));
    return button;
}

void addAndRelease(id parent, id view) {
    if (!view) return;
    send<void>(parent, "addSubview:", view);
    send<void>(view, "release");
}

// The window's views. The content view is AppKit's own, which measures from
// the bottom: the text at the foot, the picture above it.
void fillAboutWindow(id window, id content, id target) {
    const CGFloat width = kAboutPictureWidth;
    const CGFloat pictureHeight = kAboutPictureHeight;
    id picture = makePicture(kAboutPictureBmp, kAboutPictureBmpSize, kAboutPictureWidth,
                             kAboutPictureHeight);
    addAndRelease(content, makeClosingButton(CGRect{{0, kTextHeight + kTextGap}, {width, pictureHeight}},
                                             picture, kReturnKey, target));
    releaseObject(picture);
    addAndRelease(content, makeClosingButton(CGRect{{0, 0}, {0, 0}}, nullptr, kEscapeKey, target));

    id text = send(classNamed("NSTextField"), "wrappingLabelWithString:", nsString(kAboutText));
    if (text) {
        send<void>(text, "setFrame:", CGRect{{0, 0}, {width, kTextHeight}});
        send<void>(text, "setAlignment:", NSTextAlignmentCenter);
        send<void>(text, "setFont:",
                   send(classNamed("NSFont"), "systemFontOfSize:", kSmallFontPoints));
        send<void>(content, "addSubview:", text);  // autoreleased: the view tree keeps it
    }
    send<void>(window, "setDelegate:", target);
}

}  // namespace

void showAboutBox(const AboutRecord* /*record: nothing of it is used on the Mac*/) {
    id pool = send(send(classNamed("NSAutoreleasePool"), "alloc"), "init");
    id application = send(classNamed("NSApplication"), "sharedApplication");
    Class targetClass = aboutTargetClass();
    id windowClass = classNamed("NSWindow");
    if (!application || !targetClass || !windowClass) {
        releaseObject(pool);
        return;  // the host sees a successful About call in any case
    }
    const CGFloat height = kAboutPictureHeight + kTextGap + kTextHeight;
    const CGRect content = {{0, 0}, {CGFloat(kAboutPictureWidth), height}};
    id window = send(send(windowClass, "alloc"), "initWithContentRect:styleMask:backing:defer:",
                     content, NSWindowStyleMaskTitled | NSWindowStyleMaskClosable,
                     NSBackingStoreBuffered, NO);
    id target = send(send(reinterpret_cast<id>(targetClass), "alloc"), "init");
    if (window && target) {
        char caption[kCaptionCapacity] = "";
        loadModuleString(IDS_ERROR_CAPTION, caption, kCaptionCapacity);
        send<void>(window, "setReleasedWhenClosed:", NO);
        send<void>(window, "setTitle:", nsString(caption));
        fillAboutWindow(window, send(window, "contentView"), target);
        send<void>(window, "center");
        send<NSInteger>(application, "runModalForWindow:", window);
        send<void>(window, "setDelegate:", static_cast<id>(nullptr));
        send<void>(window, "orderOut:", static_cast<id>(nullptr));
    }
    releaseObject(window);
    releaseObject(target);
    releaseObject(pool);
}
