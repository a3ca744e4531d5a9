// The CoreFoundation calls the Mac side makes, declared with Darwin's types
// (CFString.h, CFUserNotification.h): no Apple SDK is at hand to include.
// Bound to the CoreFoundation framework (cmake/mac-sysroot/CoreFoundation.tbd).
#pragma once

extern "C" {
typedef const void* CFStringRef;
typedef const void* CFURLRef;
typedef const void* CFAllocatorRef;
typedef unsigned long CFOptionFlags;
typedef long CFIndex;
typedef double CFTimeInterval;
typedef int SInt32;
typedef unsigned char Boolean;
typedef unsigned int CFStringEncoding;

constexpr CFStringEncoding kCFStringEncodingMacRoman = 0;
constexpr CFStringEncoding kCFStringEncodingWindowsLatin1 = 0x0500;
constexpr CFStringEncoding kCFStringEncodingUTF8 = 0x08000100;
constexpr CFOptionFlags kCFUserNotificationStopAlertLevel = 0;
constexpr CFOptionFlags kCFUserNotificationNoteAlertLevel = 1;

// Null when the text is not valid in the encoding.
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text,
                                      CFStringEncoding encoding);
// False when the string does not fit the buffer or cannot be written in the encoding.
Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding);
void CFRelease(const void* object);
SInt32 CFUserNotificationDisplayNotice(CFTimeInterval timeout, CFOptionFlags flags,
                                       CFURLRef iconURL, CFURLRef soundURL,
                                       CFURLRef localizationURL, CFStringRef alertHeader,
                                       CFStringRef alertMessage, CFStringRef defaultButtonTitle);
}
