"""The system functions a Mac slice imports, answered in Python for EmulatedMac.

    system = MacSystem(root_folder, home="/Users/tester")
    process = EmulatedMac(slice, system.imports())

Memory comes from the emulated heap and every block is accounted for; files live
under `root_folder`, which stands for the Mac's "/" (so the user's home is
root_folder/Users/tester); `system.modifiers` is the keyboard's modifier state
as CoreGraphics reports it. Numbers (open flags, errno values) are Darwin's.
"""

import errno
import os

# Darwin's <fcntl.h>.
O_ACCMODE = 0x3
O_NONBLOCK = 0x4
O_APPEND = 0x8
O_SHLOCK = 0x10
O_EXLOCK = 0x20
O_CREAT = 0x200
O_TRUNC = 0x400
O_EXCL = 0x800
O_CLOEXEC = 0x1000000
KNOWN_OPEN_FLAGS = (O_ACCMODE | O_NONBLOCK | O_APPEND | O_SHLOCK | O_EXLOCK | O_CREAT | O_TRUNC |
                    O_EXCL | O_CLOEXEC)
# Darwin's errno values where they differ from Linux's (EAGAIN is EWOULDBLOCK).
DARWIN_ERRNO = {errno.EAGAIN: 35, errno.ENAMETOOLONG: 63, errno.ENOTEMPTY: 66}
DARWIN_EWOULDBLOCK = 35
DARWIN_EBADF = 9
DARWIN_EINVAL = 22

# CoreGraphics: CGEventSourceFlagsState's state ids and the Option key's flag.
COMBINED_SESSION_STATE = 0
HID_SYSTEM_STATE = 1
FLAG_MASK_ALTERNATE = 0x00080000
# CoreFoundation's string encodings, as Python names them.
ENCODINGS = {0: "mac_roman", 0x0500: "cp1252", 0x0600: "ascii", 0x08000100: "utf-8"}
STACK_GUARD = b"\x00\x4c\x75\x6d\x69\x76\x65\x69"  # any value: the module compares it with itself


class StackSmashed(RuntimeError):
    pass


def signed32(value):
    value &= 0xFFFFFFFF
    return value - (1 << 32) if value & 0x80000000 else value


class MacSystem:
    def __init__(self, root, home="/Users/tester"):
        self.root = root
        self.environment = {b"HOME": home.encode()}
        self.modifiers = 0
        self.state_ids = []  # every state id CGEventSourceFlagsState was asked for
        self.files = {}  # descriptor -> (Python file descriptor, locked path or None)
        self.locked = set()
        self.next_descriptor = 3
        self.errno_address = None
        self.environment_strings = {}
        self.calls = []  # names of the file functions called, in order
        self.strings = {}  # live CFStrings: address -> text
        self.notices = []  # (header, message, flags) of every notice shown

    def real_path(self, process, address):
        path = process.c_string(address).decode("utf-8")
        if not path.startswith("/"):
            raise ValueError("the module named a relative path: %r" % path)
        return os.path.join(self.root, path.lstrip("/"))

    def _fail(self, process, error):
        self._errno(process, DARWIN_ERRNO.get(error, error))
        return -1

    def _errno(self, process, value):
        if self.errno_address is None:
            self.errno_address = process.allocate(4)
            process.heap_blocks.pop(self.errno_address)  # the system's, not the module's
        process.write(self.errno_address, value.to_bytes(4, "little"))

    # --- memory ---------------------------------------------------------------

    def malloc(self, process, size):
        return process.allocate(size, fill=0xCD)  # not zeroed, as malloc does not promise it

    def calloc(self, process, count, size):
        return process.allocate(count * size)  # zero-filled

    def free(self, process, address):
        process.release(address)
        return 0

    def posix_memalign(self, process, out, alignment, size):
        address = process.allocate(size + alignment)
        aligned = (address + alignment - 1) // alignment * alignment
        if aligned != address:  # keep the block findable by the address handed out
            process.heap_blocks[aligned] = process.heap_blocks.pop(address)
        process.write_u64(out, aligned)
        return 0

    def memcpy(self, process, destination, source, count):
        if count:
            process.write(destination, process.read(source, count))
        return destination

    def memset(self, process, destination, value, count):
        if count:
            process.write(destination, bytes([value & 0xFF]) * count)
        return destination

    def bzero(self, process, destination, count):
        self.memset(process, destination, 0, count)
        return 0

    def memcmp(self, process, first, second, count):
        a, b = process.read(first, count), process.read(second, count)
        for x, y in zip(a, b):
            if x != y:
                return x - y
        return 0

    def strlen(self, process, text):
        return len(process.c_string(text))

    def strncpy(self, process, destination, source, count):
        text = process.c_string(source, limit=1 << 20)[:count]
        process.write(destination, text + bytes(count - len(text)))
        return destination

    def stack_chk_fail(self, process):
        raise StackSmashed("the module's stack guard was overwritten")

    def abs(self, process, value):
        return abs(signed32(value))

    # --- environment and files -------------------------------------------------

    def getenv(self, process, name):
        key = process.c_string(name)
        if key not in self.environment:
            return 0
        if key not in self.environment_strings:
            address = process.allocate(len(self.environment[key]) + 1)
            process.heap_blocks.pop(address)  # the environment's, never freed
            process.write(address, self.environment[key] + b"\0")
            self.environment_strings[key] = address
        return self.environment_strings[key]

    def error(self, process):
        if self.errno_address is None:
            self._errno(process, 0)
        return self.errno_address

    def mkdir(self, process, path, mode):
        self.calls.append("mkdir")
        try:
            os.mkdir(self.real_path(process, path), mode & 0o777)
        except OSError as failure:
            return self._fail(process, failure.errno)
        return 0

    def open(self, process, path, flags):
        self.calls.append("open")
        mode = process.variadic_argument(0, fixed=2) if flags & O_CREAT else 0
        if flags & ~KNOWN_OPEN_FLAGS:
            return self._fail(process, DARWIN_EINVAL)
        real = self.real_path(process, path)
        lock = flags & (O_EXLOCK | O_SHLOCK)
        if lock and real in self.locked:
            return self._fail(process, DARWIN_EWOULDBLOCK)
        linux = {0: os.O_RDONLY, 1: os.O_WRONLY, 2: os.O_RDWR}[flags & O_ACCMODE]
        for darwin, flag in ((O_CREAT, os.O_CREAT), (O_TRUNC, os.O_TRUNC), (O_EXCL, os.O_EXCL),
                             (O_APPEND, os.O_APPEND)):
            if flags & darwin:
                linux |= flag
        try:
            descriptor = os.open(real, linux, mode & 0o777)
        except OSError as failure:
            return self._fail(process, failure.errno)
        number = self.next_descriptor
        self.next_descriptor += 1
        self.files[number] = (descriptor, real if lock else None)
        if lock:
            self.locked.add(real)
        return number

    def read(self, process, descriptor, buffer, count):
        self.calls.append("read")
        if descriptor not in self.files:
            return self._fail(process, DARWIN_EBADF)
        data = os.read(self.files[descriptor][0], count)
        process.write(buffer, data)
        return len(data)

    def write(self, process, descriptor, buffer, count):
        self.calls.append("write")
        if descriptor not in self.files:
            return self._fail(process, DARWIN_EBADF)
        return os.write(self.files[descriptor][0], process.read(buffer, count))

    def ftruncate(self, process, descriptor, length):
        self.calls.append("ftruncate")
        if descriptor not in self.files:
            return self._fail(process, DARWIN_EBADF)
        os.ftruncate(self.files[descriptor][0], length)
        return 0

    def close(self, process, descriptor):
        self.calls.append("close")
        if descriptor not in self.files:
            return self._fail(process, DARWIN_EBADF)
        real, locked = self.files.pop(descriptor)
        os.close(real)
        self.locked.discard(locked)
        return 0

    def open_files(self):
        return len(self.files)

    # --- CoreFoundation: strings and the user notifications the module shows ---------

    def create_string(self, process, allocator, text, encoding):
        try:
            decoded = process.c_string(text).decode(ENCODINGS[encoding & 0xFFFFFFFF])
        except UnicodeDecodeError:
            return 0  # not valid in the encoding
        address = process.allocate(16)  # stands for the CFString object
        self.strings[address] = decoded
        return address

    def get_string(self, process, string, buffer, size, encoding):
        try:
            encoded = self.strings[string].encode(ENCODINGS[encoding & 0xFFFFFFFF])
        except UnicodeEncodeError:
            return 0
        if len(encoded) + 1 > size:
            return 0
        process.write(buffer, encoded + b"\0")
        return 1

    def release(self, process, string):
        if string not in self.strings:
            raise ValueError("CFRelease of %#x, which is no live string" % string)
        del self.strings[string]
        process.release(string)
        return 0

    def display_notice(self, process, flags, icon, sound, localization, header, message):
        # The timeout, a double, travels in a floating-point register, and the button's
        # title, the seventh integer argument, on x86_64's stack: neither is read.
        self.notices.append((self.strings.get(header), self.strings.get(message), flags))
        return 0

    # --- keyboard ---------------------------------------------------------------

    def flags_state(self, process, state_id):
        self.state_ids.append(signed32(state_id))
        return self.modifiers

    def imports(self):
        def unbound(process):
            raise RuntimeError("dyld_stub_binder was called: a lazy import was left unbound")
        return {
            "_malloc": self.malloc, "_calloc": self.calloc, "_free": self.free, "_posix_memalign": self.posix_memalign,
            "_memcpy": self.memcpy, "_memmove": self.memcpy, "_memset": self.memset,
            "___bzero": self.bzero, "_bzero": self.bzero, "_memcmp": self.memcmp,
            "_strlen": self.strlen, "_strncpy": self.strncpy, "_abs": self.abs,
            "___stack_chk_fail": self.stack_chk_fail, "___stack_chk_guard": STACK_GUARD,
            "_getenv": self.getenv, "___error": self.error, "_mkdir": self.mkdir,
            "_open": self.open, "_read": self.read, "_write": self.write, "_close": self.close,
            "_CGEventSourceFlagsState": self.flags_state, "dyld_stub_binder": unbound,
            "_CFStringCreateWithCString": self.create_string, "_CFRelease": self.release,
            "_CFStringGetCString": self.get_string, "_ftruncate": self.ftruncate,
            "_CFUserNotificationDisplayNotice": self.display_notice,
        }
