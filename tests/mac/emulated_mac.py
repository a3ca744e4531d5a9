"""Runs one slice of a Mac bundle's code in an emulated Mac process (unicorn).

    process = EmulatedMac(slice, root_folder)      # maps, rebases, binds, initialises
    result = process.call(process.export("_PluginMain"), selector, record, data, result)

The loader does what Darwin's dyld does for a bundle that uses the classic link-
edit information (LC_DYLD_INFO): maps every segment at one slide, slides every
pointer of the rebase table, binds every import of the bind and lazy-bind tables
at once, and runs the static initialisers in order. Imports are answered by
Python functions (`libsystem.py`); the host's own callbacks are made the same way
(`callback`), each a small stub that returns at once after Python has run.

Memory is one address space of fixed regions: the image, the host's stubs and
data, a heap (`allocate`, `release`) and one stack.
"""

import inspect
import struct

try:
    import unicorn
except ImportError:  # Debian's python3-unicorn serves the system's Python; another finds it there too
    import sys
    sys.path.append("/usr/lib/python3/dist-packages")
    import unicorn
from unicorn import arm64_const, x86_const

IMAGE_BASE = 0x1_0000_0000  # the slide: bundles are linked at address 0
STUB_BASE = 0x2_0000_0000
STUB_SIZE = 16
STUB_AREA = 0x10000
HOST_DATA = 0x2_1000_0000
HOST_DATA_SIZE = 0x10000
HEAP_BASE = 0x3_0000_0000
HEAP_SIZE = 256 << 20
STACK_BASE = 0x4_0000_0000
STACK_SIZE = 8 << 20
PAGE = 0x1000  # the emulator's page; both slices align their segments to it or more
HEAP_ALIGNMENT = 16  # as Darwin's malloc
# Instructions one call may take before it is stopped as a runaway.
CALL_INSTRUCTION_LIMIT = 2_000_000_000

RET_X86_64 = b"\xc3"
RET_ARM64 = struct.pack("<I", 0xD65F03C0)

ARGUMENT_REGISTERS = {
    "x86_64": [x86_const.UC_X86_REG_RDI, x86_const.UC_X86_REG_RSI, x86_const.UC_X86_REG_RDX,
               x86_const.UC_X86_REG_RCX, x86_const.UC_X86_REG_R8, x86_const.UC_X86_REG_R9],
    "arm64": [getattr(arm64_const, "UC_ARM64_REG_X%d" % i) for i in range(8)],
}
RETURN_REGISTER = {"x86_64": x86_const.UC_X86_REG_RAX, "arm64": arm64_const.UC_ARM64_REG_X0}
STACK_POINTER = {"x86_64": x86_const.UC_X86_REG_RSP, "arm64": arm64_const.UC_ARM64_REG_SP}


class EmulationError(RuntimeError):
    """The module's code did something a Mac process would not survive."""


def _round_up(value, alignment):
    return (value + alignment - 1) // alignment * alignment


class EmulatedMac:
    def __init__(self, image, imports):
        """`image`: a macho.Slice. `imports`: {symbol: function(process, *args) -> int}
        for functions, {symbol: bytes} for data (the import's address points at a
        copy of the bytes)."""
        self.image = image
        self.arch = image.arch
        if self.arch == "x86_64":
            self.uc = unicorn.Uc(unicorn.UC_ARCH_X86, unicorn.UC_MODE_64)
        elif self.arch == "arm64":
            self.uc = unicorn.Uc(unicorn.UC_ARCH_ARM64, unicorn.UC_MODE_ARM)
            # Floating point and vector registers usable from the module's code.
            self.uc.reg_write(arm64_const.UC_ARM64_REG_CPACR_EL1, 3 << 20)
        else:
            raise EmulationError("no emulation for %s" % self.arch)
        self.stubs = {}  # address -> (name, function)
        self.stub_names = {}
        self.next_stub = STUB_BASE
        self.next_host_data = HOST_DATA
        self.heap_next = HEAP_BASE
        self.heap_blocks = {}  # address -> size, live blocks
        self.fault = None
        self.instructions = 0
        self.depth = 0  # calls into the module's code under way
        self._map_regions()
        self._load_segments()
        self._rebase()
        self._bind(imports)
        self.sentinel = self.callback("(return to host)", lambda process, *args: 0)
        for initialiser in image.initialisers():
            self.call(IMAGE_BASE + initialiser)

    # --- memory ---------------------------------------------------------------

    def _map_regions(self):
        self.uc.mem_map(STUB_BASE, STUB_AREA, unicorn.UC_PROT_READ | unicorn.UC_PROT_EXEC)
        self.uc.mem_map(HOST_DATA, HOST_DATA_SIZE)
        self.uc.mem_map(HEAP_BASE, HEAP_SIZE, unicorn.UC_PROT_READ | unicorn.UC_PROT_WRITE)
        self.uc.mem_map(STACK_BASE, STACK_SIZE, unicorn.UC_PROT_READ | unicorn.UC_PROT_WRITE)
        self.uc.hook_add(unicorn.UC_HOOK_CODE, self._on_stub, begin=STUB_BASE,
                         end=STUB_BASE + STUB_AREA - 1)
        self.uc.hook_add(unicorn.UC_HOOK_MEM_INVALID, self._on_bad_access)

    def _load_segments(self):
        for segment in self.image.segments:
            if segment.memory_size == 0:
                continue
            start = IMAGE_BASE + segment.address
            size = _round_up(segment.memory_size, PAGE)
            protection = 0
            if segment.initial_protection & 1:
                protection |= unicorn.UC_PROT_READ
            if segment.initial_protection & 2:
                protection |= unicorn.UC_PROT_WRITE
            if segment.initial_protection & 4:
                protection |= unicorn.UC_PROT_EXEC
            self.uc.mem_map(start, size, unicorn.UC_PROT_ALL)
            data = self.image.data[segment.file_offset:segment.file_offset + segment.file_size]
            self.uc.mem_write(start, bytes(data))
            self._protections = getattr(self, "_protections", [])
            self._protections.append((start, size, protection))

    def _seal_segments(self):
        for start, size, protection in self._protections:
            self.uc.mem_protect(start, size, protection or unicorn.UC_PROT_READ)

    def _segment_address(self, index, offset):
        return IMAGE_BASE + self.image.segments[index].address + offset

    def _rebase(self):
        for index, offset in self.image.rebases():
            at = self._segment_address(index, offset)
            self.write_u64(at, self.read_u64(at) + IMAGE_BASE)

    def _bind(self, imports):
        self.bound = {}
        for binding in self.image.bindings():
            if binding.symbol not in imports:
                raise EmulationError("the module imports %s, which this host does not offer"
                                     % binding.symbol)
            if binding.symbol not in self.bound:
                answer = imports[binding.symbol]
                if isinstance(answer, (bytes, bytearray)):
                    self.bound[binding.symbol] = self.host_data(answer)
                else:
                    self.bound[binding.symbol] = self.callback(binding.symbol, answer)
            self.write_u64(self._segment_address(binding.segment_index, binding.segment_offset),
                           self.bound[binding.symbol] + binding.addend)
        self._seal_segments()

    def host_data(self, data, alignment=16):
        """Copies `data` into the host's own memory, returning its address."""
        address = _round_up(self.next_host_data, alignment)
        if address + len(data) > HOST_DATA + HOST_DATA_SIZE:
            raise EmulationError("the host's data area is full")
        self.uc.mem_write(address, bytes(data))
        self.next_host_data = address + len(data)
        return address

    def allocate(self, size, fill=0):
        """A heap block of `size` bytes (malloc's alignment), filled with `fill`."""
        address = _round_up(self.heap_next, HEAP_ALIGNMENT)
        if address + max(size, 1) > HEAP_BASE + HEAP_SIZE:
            return 0
        self.heap_next = address + max(size, 1)
        self.heap_blocks[address] = size
        if size:
            self.uc.mem_write(address, bytes([fill]) * size)
        return address

    def release(self, address):
        if address == 0:
            return
        if address not in self.heap_blocks:
            raise EmulationError("free of %#x, which is no live heap block" % address)
        del self.heap_blocks[address]

    def read(self, address, size):
        return bytes(self.uc.mem_read(address, size))

    def write(self, address, data):
        self.uc.mem_write(address, bytes(data))

    def read_u64(self, address):
        return struct.unpack("<Q", self.read(address, 8))[0]

    def write_u64(self, address, value):
        self.write(address, struct.pack("<Q", value & 0xFFFFFFFFFFFFFFFF))

    def c_string(self, address, limit=4096):
        out = bytearray()
        while len(out) < limit:
            byte = self.read(address + len(out), 1)
            if byte == b"\0":
                return bytes(out)
            out += byte
        raise EmulationError("a string at %#x runs past %d bytes" % (address, limit))

    # --- calls ----------------------------------------------------------------

    def callback(self, name, function):
        """The address of a stub that runs `function(process, *arguments)` and returns
        its result to the module's code."""
        address = self.next_stub
        self.next_stub += STUB_SIZE
        self.uc.mem_protect(STUB_BASE, STUB_AREA, unicorn.UC_PROT_ALL)
        self.uc.mem_write(address, RET_X86_64 if self.arch == "x86_64" else RET_ARM64)
        self.uc.mem_protect(STUB_BASE, STUB_AREA, unicorn.UC_PROT_READ | unicorn.UC_PROT_EXEC)
        # The module's arguments: as many as the function takes after the process.
        count = len(inspect.signature(function).parameters) - 1
        self.stubs[address] = (name, function, count)
        return address

    def variadic_argument(self, index, fixed):
        """The `index`-th integer argument after a variadic function's `fixed` ones:
        in the next register on x86_64, on the stack on Apple's arm64, which passes
        every variadic argument there."""
        if self.arch == "x86_64":
            return self.uc.reg_read(ARGUMENT_REGISTERS[self.arch][fixed + index])
        return self.read_u64(self.uc.reg_read(arm64_const.UC_ARM64_REG_SP) + 8 * index)

    def arguments(self, count):
        return [self.uc.reg_read(register) for register in ARGUMENT_REGISTERS[self.arch][:count]]

    def _on_stub(self, uc, address, size, user_data):
        name, function, count = self.stubs.get(address, (None, None, 0))
        if function is None:
            return
        try:
            result = function(self, *self.arguments(count))
        except Exception as error:  # reported by call(), after the emulation stops
            self.fault = EmulationError("%s failed: %r" % (name, error))
            self.fault.__cause__ = error
            uc.emu_stop()
            return
        uc.reg_write(RETURN_REGISTER[self.arch], (result or 0) & 0xFFFFFFFFFFFFFFFF)

    def _on_bad_access(self, uc, access, address, size, value, user_data):
        self.fault = EmulationError("the module's code touched unmapped memory at %#x (%d bytes)"
                                    % (address, size))
        return False

    def call(self, address, *arguments, doubles=(), stack=b""):
        """Runs the module's function at `address` with integer `arguments` (at most six),
        floating-point `doubles` (at most eight) and `stack`, the bytes of the arguments
        passed in memory, and returns its integer result. A call made while the module's
        code runs (from an import's answer: a host calling back into the module) runs
        below that code's stack and leaves its registers as they were."""
        nested = self.depth > 0
        if nested:
            context = self.uc.context_save()
            # Below the running code's frame and the 128-byte red zone both ABIs keep.
            top = (self.uc.reg_read(STACK_POINTER[self.arch]) - 0x200) & ~0xF
        else:
            top = STACK_BASE + STACK_SIZE - 0x100
        registers = ARGUMENT_REGISTERS[self.arch]
        for register, value in zip(registers, arguments):
            self.uc.reg_write(register, value & 0xFFFFFFFFFFFFFFFF)
        for index, value in enumerate(doubles):
            self.write_double_register(index, value)
        if stack:
            top -= _round_up(len(stack), 16)
            self.write(top, stack)
        if self.arch == "x86_64":
            # At entry the return address is on the stack and rsp + 8 is 16-aligned.
            sp = top - 8
            self.write_u64(sp, self.sentinel)
            self.uc.reg_write(x86_const.UC_X86_REG_RSP, sp)
        else:
            self.uc.reg_write(arm64_const.UC_ARM64_REG_SP, top)
            self.uc.reg_write(arm64_const.UC_ARM64_REG_LR, self.sentinel)
        self.fault = None
        self.depth += 1
        try:
            self.uc.emu_start(address, self.sentinel, count=CALL_INSTRUCTION_LIMIT)
        except unicorn.UcError as error:
            if self.fault is None:
                pc = self.uc.reg_read(x86_const.UC_X86_REG_RIP if self.arch == "x86_64"
                                      else arm64_const.UC_ARM64_REG_PC)
                raise EmulationError("the module's code stopped at %#x: %s" % (pc, error))
        finally:
            self.depth -= 1
        if self.fault is not None:
            raise self.fault
        result = self.uc.reg_read(RETURN_REGISTER[self.arch])
        if nested:
            self.uc.context_restore(context)
        return result

    # --- floating-point and memory arguments -------------------------------------------

    def double_register(self, index):
        """The double in the index-th floating-point argument register (xmm / d)."""
        if self.arch == "x86_64":
            bits = self.uc.reg_read(x86_const.UC_X86_REG_XMM0 + index) & 0xFFFFFFFFFFFFFFFF
        else:
            bits = self.uc.reg_read(arm64_const.UC_ARM64_REG_D0 + index)
        return struct.unpack("<d", struct.pack("<Q", bits))[0]

    def write_double_register(self, index, value):
        bits = struct.unpack("<Q", struct.pack("<d", value))[0]
        if self.arch == "x86_64":
            self.uc.reg_write(x86_const.UC_X86_REG_XMM0 + index, bits)
        else:
            self.uc.reg_write(arm64_const.UC_ARM64_REG_D0 + index, bits)

    def stack_arguments(self):
        """Where the arguments passed in memory start, as an import sees them: above
        the return address on x86_64, at the stack pointer on arm64."""
        sp = self.uc.reg_read(STACK_POINTER[self.arch])
        return sp + 8 if self.arch == "x86_64" else sp

    def symbol(self, name):
        """The address of a function the module does not export, by its (mangled)
        name in the symbol table, for tests that call into the module's inner parts."""
        for symbol in self.image.symbols:
            if symbol.name == name and symbol.defined:
                return IMAGE_BASE + symbol.value
        raise EmulationError("the module has no symbol %s" % name)

    def export(self, name):
        exports = self.image.exports()
        if name not in exports:
            raise EmulationError("the module exports no %s" % name)
        return IMAGE_BASE + exports[name]
