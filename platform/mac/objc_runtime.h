// The Objective-C runtime's C interface as the Mac side calls it, declared here
// with Darwin's types (objc/runtime.h, objc/message.h): no Apple SDK is at hand
// to include. Bound to libobjc (cmake/mac-sysroot/libobjc.tbd).
//
// Every message goes through objc_msgSend cast to the method's own C type, as
// the runtime requires: send<Result>(receiver, "selector:", arguments...). The
// arguments must carry the method's exact types (NSInteger, CGFloat, BOOL,
// CGRect), since the cast passes them as they are typed here.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {
struct objc_object;
struct objc_selector;
struct objc_class;
typedef objc_object* id;
typedef objc_selector* SEL;
typedef objc_class* Class;
typedef void (*IMP)(void);

// BOOL is a signed char on x86_64 and the C++ bool on arm64.
#if defined(__x86_64__)
typedef signed char BOOL;
#else
typedef bool BOOL;
#endif

Class objc_getClass(const char* name);  // null when no class has the name
SEL sel_registerName(const char* name);
// Never called through this type: see send() below.
void objc_msgSend(void);
// A new class to be filled with methods and registered; null when the name is taken.
Class objc_allocateClassPair(Class superclass, const char* name, size_t extraBytes);
void objc_registerClassPair(Class cls);
// types: the method's type encoding ("v@:@" for -(void)method:(id)sender).
BOOL class_addMethod(Class cls, SEL name, IMP imp, const char* types);
}

constexpr BOOL YES = true;
constexpr BOOL NO = false;

// Darwin's LP64 integer types of Foundation and CoreGraphics.
typedef long NSInteger;
typedef unsigned long NSUInteger;
typedef double CGFloat;

struct CGPoint {
    CGFloat x;
    CGFloat y;
};
struct CGSize {
    CGFloat width;
    CGFloat height;
};
// 32 bytes: passed in memory on x86_64, in four floating-point registers on arm64.
struct CGRect {
    CGPoint origin;
    CGSize size;
};

inline id classNamed(const char* name) { return reinterpret_cast<id>(objc_getClass(name)); }

template <typename Result>
constexpr size_t resultBytes() { return sizeof(Result); }
template <>
constexpr size_t resultBytes<void>() { return 0; }

template <typename Result = id, typename... Arguments>
inline Result send(id receiver, const char* selector, Arguments... arguments) {
    // x86_64 returns a larger struct through objc_msgSend_stret, which send() is not.
    static_assert(resultBytes<Result>() <= 16, "a struct this large needs objc_msgSend_stret");
    using Method = Result (*)(id, SEL, Arguments...);
    return reinterpret_cast<Method>(&objc_msgSend)(receiver, sel_registerName(selector),
                                                  arguments...);
}
