// The host's trace file (--trace FILE): one line per selector call and per
// callback, in the order they happen, each written and flushed at once so a
// crash still leaves everything up to it. Lines are words and key=value pairs
// separated by single spaces; rectangles are top,left,bottom,right; results
// follow " -> ".
//
//   run N menu|repeat                     the start of the N-th run of the process
//   about N                               the N-th opening of about --runs N (N > 1)
//   selector NAME                         before the call (about, parameters,
//   selector NAME -> CODE                 prepare, start, continue, finish; any
//                                         other selector by its number)
//   record parameters=HANDLE inRect=R outRect=R maskRect=R inPad=P outPad=P
//          maskPad=P inRate=0xHEX maskRate=0xHEX bufferSpace=N
//                                         after each selector; HANDLE is hN
//                                         (the host's), global (a module-made
//                                         Windows global memory handle) or null
//   progress DONE TOTAL
//   abort -> 0|1
//   advance in=R out=R mask=R inPlanes=LO-HI outPlanes=LO-HI inPad=P outPad=P
//          maskPad=P inRate=0xHEX maskRate=0xHEX [delivered=R] -> CODE
//                                         the rectangles as the module asked;
//                                         delivered= when the host clipped inRect
//   deliver ...                           the same fields, for the host's own
//                                         delivery before a Continue call
//   note forced continue with empty rectangles    --force-continue
//   record unchanged | record changed OFFSET...   after plughost call
//   gdi create NAME -> 0xHANDLE           --count-gdi: a counted maker's result
//   gdi delete 0xHANDLE -> RESULT         DeleteObject or DeleteDC
//   note TEXT                             why the host refused a request; also
//                                         "note leak hN (SIZE bytes)" for a handle
//                                         still allocated after a run, and
//                                         "note dialog: TEXT" for a failed script
//   display bounds=R src=R dst=ROW,COL version=V mode=M rowBytes=N colBytes=N
//          planeBytes=N -> CODE
//   handle new SIZE -> hN|null            the eight handle procedures
//   handle dispose hN
//   handle size hN -> SIZE
//   handle setsize hN SIZE -> CODE
//   handle lock hN moveHigh=0|1 -> ok|null
//   handle unlock hN
//   handle recover SIZE
//   handle disposeregular hN
//   processevent
//   getasynckeystate 0xKEY -> 0xSTATE
//   getwindowsdirectory -> PATH|0         what the module's call answered
//   fault TEXT                            a broken rule that ends the run
//   crash code=0xCODE address=0xADDR module+0xOFFSET
//   timeout TEXT
//
// A handle the host does not know is written as unknown:0xADDRESS.
// Windows-free.
#pragma once

#include <string>

// Opens (truncates) the trace file; false when it cannot be created.
bool openTrace(const std::string& path);

// Flushes and closes the trace; nothing happens when none is open.
void closeTrace();

// Writes one line (printf format, no newline) and flushes it; no-op without a trace.
void traceLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
