/* The smallest ARM64 Windows console program: writes one line to standard output
 * and ends. It needs no C runtime (only kernel32), so it can be built and run before
 * any ARM64 runtime exists, to show that ARM64 Windows programs run on this machine
 * and how long one takes to start (tools/arm64-probe.sh). */

typedef void *HANDLE;
typedef unsigned long DWORD; /* 32 bits: Windows is LLP64 */
typedef int BOOL;

#define STD_OUTPUT_HANDLE ((DWORD)-11)

__declspec(dllimport) HANDLE __stdcall GetStdHandle(DWORD which);
__declspec(dllimport) BOOL __stdcall WriteFile(HANDLE file, const void *bytes, DWORD count,
                                               DWORD *written, void *overlapped);
__declspec(dllimport) void __stdcall ExitProcess(unsigned status);

static const char kLine[] = "lumiveil: ARM64 Windows program running\r\n";

enum { kExitOk = 0, kExitWriteFailed = 1 };

/* The image's entry point (the linker's /entry), called by the loader with no C
 * runtime set up: nothing here may rely on static constructors or the CRT. */
void consoleLineMain(void) {
  DWORD written = 0;
  BOOL ok = WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), kLine, sizeof kLine - 1, &written, 0);
  ExitProcess(ok && written == sizeof kLine - 1 ? kExitOk : kExitWriteFailed);
}
