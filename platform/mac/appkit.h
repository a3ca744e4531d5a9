// The AppKit, Foundation and CoreGraphics names the Mac side's windows use,
// declared here with Darwin's values (NSWindow.h, NSButton.h, NSText.h,
// CGContext.h): no Apple SDK is at hand to include. Bound to AppKit and
// CoreGraphics (cmake/mac-sysroot/AppKit.tbd, CoreGraphics.tbd); the classes
// themselves are looked up by name at run time (objc_runtime.h).
#pragma once

#include "platform/mac/objc_runtime.h"

extern "C" {
void NSBeep(void);
// CGContextRef is an opaque pointer.
void CGContextSetRGBFillColor(void* context, CGFloat red, CGFloat green, CGFloat blue,
                              CGFloat alpha);
void CGContextFillRects(void* context, const CGRect* rects, size_t count);
}

// NSWindow
constexpr NSUInteger NSWindowStyleMaskTitled = 1;
constexpr NSUInteger NSWindowStyleMaskClosable = 2;
constexpr NSUInteger NSBackingStoreBuffered = 2;
// NSButton
constexpr NSUInteger NSButtonTypeSwitch = 3;
constexpr NSUInteger NSButtonTypeMomentaryPushIn = 7;
constexpr NSUInteger NSBezelStyleRounded = 1;
constexpr NSUInteger NSImageOnly = 1;  // NSCellImagePosition
constexpr NSInteger NSControlStateValueOff = 0;
constexpr NSInteger NSControlStateValueOn = 1;
// NSControl
constexpr NSUInteger NSControlSizeSmall = 1;
// NSImageView
constexpr NSUInteger NSImageScaleNone = 2;
// NSApplication and the panels
constexpr NSInteger NSModalResponseOK = 1;

// NSTextAlignment: Intel Macs keep AppKit's old numbering, Apple silicon uses
// the iOS one, where centre and right trade places.
constexpr NSInteger NSTextAlignmentLeft = 0;
#if defined(__x86_64__)
constexpr NSInteger NSTextAlignmentRight = 1;
constexpr NSInteger NSTextAlignmentCenter = 2;
#else
constexpr NSInteger NSTextAlignmentCenter = 1;
constexpr NSInteger NSTextAlignmentRight = 2;
#endif

// Key equivalents: Return for the default button, Escape for the one that cancels.
constexpr char kReturnKey[] = "\r";
constexpr char kEscapeKey[] = "\x1b";
