// Small helpers over the Objective-C runtime for the Mac side's windows: texts,
// views, pictures and the classes that receive the controls' messages.
// Ownership follows Cocoa's rule: what make... returns the caller releases;
// what nsString returns belongs to the autorelease pool around the window.
#pragma once

#include "platform/mac/objc_runtime.h"
#include "sdk/host_types.h"

// An NSString of zero-terminated UTF-8 (ASCII for the module's own texts).
id nsString(const char* text);
void releaseObject(id object);  // null ignored
// [[class alloc] initWithFrame:frame]; null when the class is missing.
id makeView(const char* className, const CGRect& frame);
CGRect rectOf(const Rect& rect);
// An NSImage of a BMP file's bytes, sized in points as it is in pixels; the
// bytes are not copied and must outlive the image.
id makePicture(const unsigned char* bmp, unsigned int size, int32 width, int32 height);

// One method of a class made at run time.
struct MethodEntry {
    const char* selector;
    IMP implementation;
    const char* types;  // the type encoding
};
// A subclass of `superclassName` with the methods given, registered under
// baseName and this copy of the module's address, so that two copies of the
// plug-in in one process never share a class. Made once; later calls give the
// same class. Null when the superclass is missing.
Class makeClass(const char* superclassName, const char* baseName, const MethodEntry* methods,
                int32 methodCount);
