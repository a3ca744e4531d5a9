"""A Mac filter host around an EmulatedMac slice: the FilterRecord laid out as a
Mac host lays it out, the host's handle suite, callbacks and buffers, and the
selectors driven as Photoshop drives them.

    host = MacFilterHost(process, picture, filter_rect=None, planes=3)
    host.run([PREPARE, START, FINISH], parameters=block)   # results per selector
    host.target                                             # the picture afterwards

It delivers as the project's reference host does (plughost/delivery.h): rows of
width x planes bytes and at least 8 bytes of slack up to a multiple of 8, the
input padded as the module asks (-1 replicates the edge, -2 leaves junk, a value
0..255 fills) or, for a host without padding support, clipped to the image, and
the previous output written back before every new delivery and after Start.
"""

import struct

import filter_record_layout as layouts

ABOUT, PARAMETERS, PREPARE, START, CONTINUE, FINISH = range(6)
SELECTOR_NAMES = ("about", "parameters", "prepare", "start", "continue", "finish")

RGB_MODE = 3
HOST_SIGNATURE = b"8BIM"
SCREEN_RESOLUTION = 72 << 16
WHITE16 = 0xFFFF
OPAQUE = 0xFF
MAX_SPACE = 1 << 30
ERROR_ON_BOUNDS = -3
EDGE_REPLICATION = -1
UNDEFINED_PADDING = -2
JUNK_EVEN, JUNK_ODD = 0xA5, 0x5A
ROW_SLACK_MIN = 8
ROW_SLACK_BYTE = 0xEE
PARAM_ERR = -50
NIL_HANDLE_ERR = -109


def signed32(value):
    value &= 0xFFFFFFFF
    return value - (1 << 32) if value & 0x80000000 else value


def signed16(value):
    value &= 0xFFFF
    return value - 0x10000 if value & 0x8000 else value


class MacFilterHost:
    def __init__(self, process, picture, filter_rect=None, supports_padding=True,
                 layout=layouts.MAC, handle_procs=True, host_signature=HOST_SIGNATURE):
        """`picture`: a pngio.Image whose channels are the planes."""
        self.process = process
        self.source = picture.copy()
        self.target = picture.copy()
        self.planes = picture.channels
        self.filter_rect = filter_rect or (0, 0, picture.height, picture.width)
        self.supports_padding = supports_padding
        self.layout = layouts.record_layout(layout)
        self.handles = {}  # handle -> [block, size, locked]
        self.progress, self.aborts, self.advances, self.displays = [], 0, [], []
        self.delivered_in = self.delivered_out = None
        self.entry = process.export("_PluginMain")
        self.record = self._host_block(self.layout.size)
        self.data_slot = self._host_block(8)
        self.result_slot = self._host_block(2)
        self.platform_data = self._host_block(layouts.PLATFORM_DATA_SIZE)
        self._fill_record(handle_procs, host_signature)

    # --- host memory -------------------------------------------------------------

    def _host_block(self, size, fill=0):
        """Memory of the host's own: never counted as the module's."""
        address = self.process.allocate(size, fill)
        del self.process.heap_blocks[address]
        return address

    def field(self, name):
        offset, fmt = self.layout[name]
        values = struct.unpack(fmt, self.process.read(self.record + offset, struct.calcsize(fmt)))
        return values[0] if len(values) == 1 else values

    def set_field(self, name, value):
        offset, fmt = self.layout[name]
        values = value if isinstance(value, (tuple, list)) else (value,)
        self.process.write(self.record + offset, struct.pack(fmt, *values))

    def new_handle(self, process, size):
        size &= 0xFFFFFFFF
        if size >= 0x80000000:  # a negative int32
            return 0
        block = self._host_block(size)
        handle = self._host_block(8)
        process.write_u64(handle, block)
        self.handles[handle] = [block, size, False]
        return handle

    def dispose_handle(self, process, handle):
        if handle and self.handles.pop(handle, None) is None:
            raise RuntimeError("dispose of %#x, which is no live handle" % handle)
        return 0

    def handle_size(self, process, handle):
        return self.handles[handle][1] if handle in self.handles else 0

    def set_handle_size(self, process, handle, size):
        if handle not in self.handles:
            return NIL_HANDLE_ERR
        block, old, _ = self.handles[handle]
        grown = self._host_block(size)
        process.write(grown, process.read(block, min(old, size)))
        process.write_u64(handle, grown)
        self.handles[handle][:2] = [grown, size]
        return 0

    def lock_handle(self, process, handle, move_high):
        if handle not in self.handles:
            return 0
        self.handles[handle][2] = True
        return self.handles[handle][0]

    def unlock_handle(self, process, handle):
        if handle in self.handles:
            self.handles[handle][2] = False
        return 0

    def handle_bytes(self, handle):
        block, size, _ = self.handles[handle]
        return self.process.read(block, size)

    # --- callbacks ----------------------------------------------------------------

    def abort_proc(self, process):
        self.aborts += 1
        return 0

    def progress_proc(self, process, done, total):
        self.progress.append((done & 0xFFFFFFFF, total & 0xFFFFFFFF))
        return 0

    def advance_state(self, process):
        self.write_back()
        self.advances.append({"in": self.field("inRect"), "out": self.field("outRect"),
                              "inPad": self.field("inputPadding")})
        return self.deliver()

    def display_pixels(self, process, source, rect, row, column, context):
        """Records what the module shows: the source rectangle's pixels (RGB), where
        it puts them and the CoreGraphics context of the platform context."""
        top, left, bottom, right = struct.unpack("<4i", process.read(rect, 16))
        bounds = struct.unpack("<4i", process.read(source + 4, 16))
        row_bytes, col_bytes = struct.unpack("<2i", process.read(source + 24, 8))
        base = process.read_u64(source + 40)
        pixels = bytearray()
        for y in range(top, bottom):
            line = process.read(base + (y - bounds[0]) * row_bytes + (left - bounds[1]) * col_bytes,
                                (right - left) * col_bytes)
            for x in range(right - left):
                pixels += line[x * col_bytes:x * col_bytes + 3]
        self.displays.append({"src": (top, left, bottom, right), "bounds": bounds,
                              "row": signed32(row), "column": signed32(column),
                              "context": process.read_u64(context) if context else None,
                              "size": (right - left, bottom - top), "pixels": bytes(pixels)})
        return 0

    def _fill_record(self, handle_procs, host_signature):
        p = self.process
        self.set_field("abortProc", p.callback("abortProc", self.abort_proc))
        self.set_field("progressProc", p.callback("progressProc", self.progress_proc))
        self.set_field("imageSize", (self.source.height, self.source.width))
        self.set_field("planes", self.planes)
        self.set_field("filterRect", self.filter_rect)
        self.set_field("background", (WHITE16, WHITE16, WHITE16))
        self.set_field("maxSpace", MAX_SPACE)
        self.set_field("maxSpace64", MAX_SPACE)
        self.set_field("backColor", (OPAQUE,) * 4)
        self.set_field("foreColor", (0, 0, 0, OPAQUE))
        self.set_field("hostSig", struct.unpack(">I", host_signature)[0])
        self.set_field("imageMode", RGB_MODE)
        self.set_field("imageHRes", SCREEN_RESOLUTION)
        self.set_field("imageVRes", SCREEN_RESOLUTION)
        self.set_field("floatCoord", self.filter_rect[:2])
        self.set_field("wholeSize", (self.source.height, self.source.width))
        self.set_field("platformData", self.platform_data)
        self.set_field("displayPixels", p.callback("displayPixels", self.display_pixels))
        self.set_field("advanceState", p.callback("advanceState", self.advance_state))
        self.set_field("supportsPadding", 1 if self.supports_padding else 0)
        self.set_field("inputPadding", ERROR_ON_BOUNDS)
        self.set_field("outputPadding", ERROR_ON_BOUNDS)
        self.set_field("maskPadding", ERROR_ON_BOUNDS)
        self.set_field("samplingSupport", 1)
        self.set_field("inputRate", 1 << 16)
        self.set_field("maskRate", 1 << 16)
        self.set_field("inNonLayerPlanes", self.planes)
        self.set_field("outNonLayerPlanes", self.planes)
        self.set_field("depth", 8)
        if handle_procs:
            procs = self._host_block(layouts.HANDLE_PROCS_SIZE)
            slots = {"handleProcsVersion": 1, "numHandleProcs": 8,
                     "newProc": p.callback("newProc", self.new_handle),
                     "disposeProc": p.callback("disposeProc", self.dispose_handle),
                     "getSizeProc": p.callback("getSizeProc", self.handle_size),
                     "setSizeProc": p.callback("setSizeProc", self.set_handle_size),
                     "lockProc": p.callback("lockProc", self.lock_handle),
                     "unlockProc": p.callback("unlockProc", self.unlock_handle),
                     "recoverSpaceProc": p.callback("recoverSpaceProc", lambda process, size: 0),
                     "disposeRegularHandleProc": p.callback("disposeRegularHandleProc",
                                                            self.dispose_handle)}
            for name, fmt, offset in layouts.HANDLE_PROCS:
                p.write(procs + offset, struct.pack(fmt, slots[name]))
            self.set_field("handleProcs", procs)

    # --- buffers ----------------------------------------------------------------

    def _buffer(self, rect, row_of):
        """A buffer for `rect` with the rows as the reference host lays them out;
        row_of(y, left, right) gives one row's pixel bytes."""
        top, left, bottom, right = rect
        if right <= left or bottom <= top:
            return 0, 0
        row_data = (right - left) * self.planes
        row_bytes = (row_data + ROW_SLACK_MIN + 7) // 8 * 8
        slack = bytes([ROW_SLACK_BYTE]) * (row_bytes - row_data)
        data = b"".join(row_of(y, left, right) + slack for y in range(top, bottom))
        address = self._host_block(len(data))
        self.process.write(address, data)
        return address, row_bytes

    def _image_row(self, image, y, left, right):
        start = image.offset(left, y)
        return bytes(image.data[start:start + (right - left) * self.planes])

    def _padded_row(self, y, left, right, padding):
        """Source row y from left to right, the parts outside the image padded."""
        image, n = self.source, self.planes
        if padding == UNDEFINED_PADDING:
            def junk(y, xs):
                return bytes(JUNK_EVEN if (y + x) % 2 == 0 else JUNK_ODD for x in xs for _ in range(n))
        if not 0 <= y < image.height:
            if padding == EDGE_REPLICATION:
                return self._padded_row(min(max(y, 0), image.height - 1), left, right, padding)
            if padding == UNDEFINED_PADDING:
                return junk(y, range(left, right))
            return bytes([padding & 0xFF]) * ((right - left) * n)
        inner_left, inner_right = max(left, 0), min(right, image.width)
        middle = self._image_row(image, y, inner_left, inner_right) if inner_right > inner_left else b""
        before, after = max(0, min(0, right) - left), max(0, right - max(image.width, left))
        if padding == EDGE_REPLICATION:
            first = self._image_row(image, y, 0, 1)
            last = self._image_row(image, y, image.width - 1, image.width)
            return first * before + middle + last * after
        if padding == UNDEFINED_PADDING:
            return junk(y, range(left, left + before)) + middle + junk(y, range(right - after, right))
        fill = bytes([padding & 0xFF]) * n
        return fill * before + middle + fill * after

    def deliver(self):
        image = self.source
        in_rect = list(self.field("inRect"))
        padding = signed16(self.field("inputPadding"))
        if not self.supports_padding:
            in_rect = [max(in_rect[0], 0), max(in_rect[1], 0), min(in_rect[2], image.height),
                       min(in_rect[3], image.width)]
            self.set_field("inRect", in_rect)
        every_plane = (0, self.planes - 1)
        # This host hands over every plane or none: what the module asks for.
        if (self.field("inLoPlane"), self.field("inHiPlane")) != every_plane or \
           (self.field("outLoPlane"), self.field("outHiPlane")) != every_plane:
            return PARAM_ERR
        out_rect = self.field("outRect")
        outside = (in_rect[0] < 0 or in_rect[1] < 0 or in_rect[2] > image.height or
                   in_rect[3] > image.width)
        if outside and in_rect[2] > in_rect[0] and padding == ERROR_ON_BOUNDS:
            return PARAM_ERR
        in_data, in_row_bytes = self._buffer(
            in_rect, lambda y, left, right: self._padded_row(y, left, right, padding))
        out_data, out_row_bytes = self._buffer(
            out_rect, lambda y, left, right: self._image_row(self.target, y, left, right))
        self.set_field("inData", in_data)
        self.set_field("inRowBytes", in_row_bytes)
        self.set_field("outData", out_data)
        self.set_field("outRowBytes", out_row_bytes)
        self.delivered_out = (out_rect, out_data, out_row_bytes) if out_data else None
        return 0

    def write_back(self):
        if not self.delivered_out:
            return
        (top, left, bottom, right), address, row_bytes = self.delivered_out
        image, n = self.target, self.planes
        inner_left, inner_right = max(left, 0), min(right, image.width)
        for y in range(max(top, 0), min(bottom, image.height)):
            row = self.process.read(address + (y - top) * row_bytes + (inner_left - left) * n,
                                    (inner_right - inner_left) * n)
            start = image.offset(inner_left, y)
            image.data[start:start + len(row)] = row
        self.delivered_out = None

    # --- selectors --------------------------------------------------------------

    def call(self, selector, record=None):
        self.process.write(self.result_slot, b"\0\0")
        self.process.call(self.entry, selector, self.record if record is None else record,
                          self.data_slot, self.result_slot)
        return signed16(struct.unpack("<H", self.process.read(self.result_slot, 2))[0])

    def run(self, selectors, parameters=None):
        """Calls each selector in turn; returns [(name, result)]. `parameters`: the
        bytes of a block the host kept from an earlier run."""
        if parameters is not None:
            handle = self.new_handle(self.process, len(parameters))
            self.process.write(self.handles[handle][0], parameters)
            self.set_field("parameters", handle)
        results = []
        for selector in selectors:
            result = self.call(selector)
            if selector == START:
                self.write_back()
            results.append((SELECTOR_NAMES[selector], result))
            if result != 0:
                break
        return results

    def parameter_block(self):
        handle = self.field("parameters")
        return self.handle_bytes(handle) if handle else None

    def about(self):
        record = self._host_block(layouts.ABOUT_RECORD_SIZE)
        self.process.write_u64(record, self.platform_data)
        return self.call(ABOUT, record)
