#include "platform/mac/cocoa_objects.h"

#include <cstring>

#include "platform/mac/appkit.h"

namespace {

constexpr int32 kClassNameCapacity = 96;
constexpr int kHexDigitsOfAddress = 16;
constexpr char kHexDigits[] = "0123456789abcdef";

// baseName, "_" and this copy's address in hex: unique to the copy of the module.
void uniqueClassName(const char* baseName, char* name) {
    const size_t length = std::strlen(baseName);
    std::memcpy(name, baseName, length);
    name[length] = '_';
    uintptr_t address = reinterpret_cast<uintptr_t>(&uniqueClassName);
    char* digit = name + length + 1 + kHexDigitsOfAddress;
    *digit = '\0';
    for (int k = 0; k < kHexDigitsOfAddress; ++k) {
        *--digit = kHexDigits[address & 0xF];
        address >>= 4;
    }
}

}  // namespace

id nsString(const char* text) {
    return send(classNamed("NSString"), "stringWithUTF8String:", text);
}

void releaseObject(id object) {
    if (object) send<void>(object, "release");
}

id makeView(const char* className, const CGRect& frame) {
    id viewClass = classNamed(className);
    if (!viewClass) return nullptr;
    return send(send(viewClass, "alloc"), "initWithFrame:", frame);
}

CGRect rectOf(const Rect& rect) {
    return CGRect{{CGFloat(rect.left), CGFloat(rect.top)},
                  {CGFloat(rect.right - rect.left), CGFloat(rect.bottom - rect.top)}};
}

id makePicture(const unsigned char* bmp, unsigned int size, int32 width, int32 height) {
    id data = send(classNamed("NSData"), "dataWithBytesNoCopy:length:freeWhenDone:",
                   static_cast<const void*>(bmp), NSUInteger(size), NO);
    id image = send(send(classNamed("NSImage"), "alloc"), "initWithData:", data);
    // A BMP's own resolution would make its points differ from its pixels.
    if (image) send<void>(image, "setSize:", CGSize{CGFloat(width), CGFloat(height)});
    return image;
}

Class makeClass(const char* superclassName, const char* baseName, const MethodEntry* methods,
                int32 methodCount) {
    char name[kClassNameCapacity];
    if (std::strlen(baseName) + 2 + kHexDigitsOfAddress > size_t(kClassNameCapacity)) {
        return nullptr;
    }
    uniqueClassName(baseName, name);
    if (Class existing = objc_getClass(name)) return existing;
    Class superclass = objc_getClass(superclassName);
    if (!superclass) return nullptr;
    Class made = objc_allocateClassPair(superclass, name, 0);
    if (!made) return nullptr;
    for (int32 k = 0; k < methodCount; ++k) {
        class_addMethod(made, sel_registerName(methods[k].selector), methods[k].implementation,
                        methods[k].types);
    }
    objc_registerClassPair(made);
    return made;
}
