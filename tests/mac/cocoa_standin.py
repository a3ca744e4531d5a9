"""A recording stand-in of the Objective-C runtime and the bits of AppKit that the
Mac slices' windows use, answering their imports in an EmulatedMac.

    cocoa = CocoaStandIn()
    process = EmulatedMac(slice, {**system.imports(), **cocoa.imports()})
    cocoa.scripts.append([lambda c: c.drag(102, 73), lambda c: c.click(1)])

Classes and selectors get stable ids; every object made (`alloc`, or a class's
own constructor such as labelWithString:) is an `Obj` whose setters record and
whose getters answer from the record. The classes the module makes at run time
keep their methods' IMPs, and the stand-in acts as AppKit would through them:
it "clicks" a control by calling its target's action IMP with (self, _cmd,
sender) in the emulator, types by calling the fields' delegate, and draws by
calling the content view's drawRect:. runModalForWindow: plays the next script,
a list of steps (functions of the stand-in), drawing what needs it after each,
and returns the code given to stopModalWithCode:; without a script it presses
Return. Open and save panels answer from `file_answers` (a path, or None for
Cancel).

Arguments are read as each slice passes them: x86_64 takes a CGRect in memory
and two-double structs in two xmm registers; arm64 takes both in d registers.
"""

import struct

OBJECT_BASE = 0x7_0000_0000  # unmapped: a module that dereferenced an object would fault
OBJECT_STEP = 0x10
FIELD_EDITOR = 0x7_FFFF_0000
CG_CONTEXT = 0x7_FFFF_1000

# Selectors whose arguments are not all integers or pointers: i an integer,
# d a double, r a CGRect (four doubles), s a CGSize (two doubles).
ARGUMENT_KINDS = {
    "initWithFrame:": "r", "setFrame:": "r", "setNeedsDisplayInRect:": "r",
    "initWithContentRect:styleMask:backing:defer:": "riii", "systemFontOfSize:": "d",
    "setDoubleValue:": "d", "setMinValue:": "d", "setMaxValue:": "d", "setSize:": "s",
}
DOUBLE_RESULTS = {"doubleValue"}
MODAL_OK = 1
# The classes of the system that the module may look up by name.
SYSTEM_CLASSES = {"NSObject", "NSString", "NSArray", "NSData", "NSURL", "NSNotification",
                  "NSAutoreleasePool", "NSApplication", "NSWindow", "NSView", "NSButton",
                  "NSTextField", "NSSlider", "NSImageView", "NSImage", "NSFont",
                  "NSGraphicsContext", "NSOpenPanel", "NSSavePanel"}
# The parameter dialog's controls in the order its template lists them, the
# preview frame (5), which is an area and no view, left out; None for the labels
# and the band.
DIALOG_VIEW_IDS = [1, 2, 3, 4, 6, None, None, None, 101, 102, 103, 201, 202, 203,
                   None, None, None, "band"]
RETURN, ESCAPE = "\r", "\x1b"
BUTTON_TYPE_SWITCH = 3


class Obj:
    def __init__(self, ident, cls, props=None):
        self.id = ident
        self.cls = cls            # a class Obj, or None for a class itself
        self.name = None          # a class's name
        self.methods = {}         # a class made at run time: selector -> IMP
        self.superclass = None
        self.props = dict(props or {})
        self.subviews = []
        self.superview = None
        self.owned = 0            # the module's alloc and retain, less its release

    def class_name(self):
        return self.cls.name if self.cls else self.name

    def is_a(self, name):
        cls = self.cls
        while cls is not None:
            if cls.name == name:
                return True
            cls = cls.superclass
        return False

    def __repr__(self):
        return "<%s %#x>" % (self.class_name(), self.id)


class Arguments:
    """Reads one call's arguments in order, as the slice's calling convention
    places them."""

    def __init__(self, process, integer_start=0):
        self.process = process
        self.x86 = process.arch == "x86_64"
        self.integer = integer_start
        self.floating = 0
        self.stack = process.stack_arguments()

    def _from_stack(self, size):
        data = self.process.read(self.stack, size)
        self.stack += size
        return data

    def integer_value(self):
        if self.integer < (6 if self.x86 else 8):
            self.integer += 1
            return self.process.arguments(self.integer)[-1]
        return struct.unpack("<Q", self._from_stack(8))[0]

    def doubles(self, count):
        if self.floating + count <= 8:
            values = [self.process.double_register(self.floating + k) for k in range(count)]
            self.floating += count
            return values
        return list(struct.unpack("<%dd" % count, self._from_stack(8 * count)))

    def rect(self):
        if self.x86:  # larger than 16 bytes: in memory
            return tuple(struct.unpack("<4d", self._from_stack(32)))
        return tuple(self.doubles(4))  # a homogeneous aggregate of four doubles

    def read(self, kinds):
        values = []
        for kind in kinds:
            if kind == "i":
                values.append(self.integer_value())
            elif kind == "d":
                values.append(self.doubles(1)[0])
            elif kind == "s":
                values.append(tuple(self.doubles(2)))
            else:
                values.append(self.rect())
        return values


class CocoaStandIn:
    def __init__(self):
        self.objects = {}      # id -> Obj
        self.made = []         # every object in the order made
        self.classes = {}      # name -> class Obj
        self.selectors = {}    # name -> id
        self.selector_names = {}
        self.scripts = []      # one list of steps per runModalForWindow:
        self.file_answers = []
        self.panels_run = []   # ("open" or "save", the allowed types) of every panel shown
        self.beeps = 0
        self.drawing = []      # CoreGraphics calls made while drawing
        self.drawn_rects = []  # rects passed to drawRect:
        self.stop_code = None
        self.modal_windows = []
        self.process = None
        self._next = OBJECT_BASE
        self._context = None   # the graphics context while a view draws

    # --- objects -------------------------------------------------------------------

    def _new(self, cls, props=None):
        obj = Obj(self._next, cls, props)
        self._next += OBJECT_STEP
        self.objects[obj.id] = obj
        self.made.append(obj)
        return obj

    def class_named(self, name):
        if name not in self.classes:
            cls = self._new(None)
            cls.name = name
            self.classes[name] = cls
        return self.classes[name]

    def string(self, text):
        return self._new(self.class_named("NSString"), {"text": text})

    def text_of(self, ident):
        obj = self.objects.get(ident)
        return obj.props.get("text") if obj else None

    def c_string(self, text):
        """Zero-terminated UTF-8 in memory of the system's own, never freed."""
        data = text.encode("utf-8") + b"\0"
        address = self.process.allocate(len(data))
        del self.process.heap_blocks[address]
        self.process.write(address, data)
        return address

    def selector(self, name):
        if name not in self.selectors:
            ident = self.c_string(name)
            self.selectors[name] = ident
            self.selector_names[ident] = name
        return self.selectors[name]

    def instances(self, class_name):
        return [o for o in self.made if o.cls is not None and o.is_a(class_name)]

    # --- the runtime's C functions ------------------------------------------------------

    def objc_getClass(self, process, name):
        self.process = process
        text = process.c_string(name).decode()
        if text not in SYSTEM_CLASSES and text not in self.classes:
            return 0
        return self.class_named(text).id

    def sel_registerName(self, process, name):
        self.process = process
        return self.selector(process.c_string(name).decode())

    def objc_allocateClassPair(self, process, superclass, name, extra):
        text = process.c_string(name).decode()
        if text in self.classes:
            return 0
        cls = self.class_named(text)
        cls.superclass = self.objects[superclass]
        cls.props["registered"] = False
        return cls.id

    def class_addMethod(self, process, cls, selector, imp, types):
        self.objects[cls].methods[self.selector_names[selector]] = (imp, process.c_string(types))
        return 1

    def objc_registerClassPair(self, process, cls):
        self.objects[cls].props["registered"] = True
        return 0

    def NSBeep(self, process):
        self.beeps += 1
        return 0

    def CGContextSetRGBFillColor(self, process, context):
        self.drawing.append(("fill colour", context, tuple(process.double_register(k)
                                                           for k in range(4))))
        return 0

    def CGContextFillRects(self, process, context, rects, count):
        self.drawing.append(("fill", context, [struct.unpack("<4d", process.read(rects + 32 * k, 32))
                                               for k in range(count)]))
        return 0

    def imports(self):
        names = ("objc_getClass", "sel_registerName", "objc_allocateClassPair", "class_addMethod",
                 "objc_registerClassPair", "NSBeep", "CGContextSetRGBFillColor",
                 "CGContextFillRects")
        answers = {"_" + name: getattr(self, name) for name in names}
        answers["_objc_msgSend"] = self.objc_msgSend
        return answers

    # --- messages ---------------------------------------------------------------------

    def objc_msgSend(self, process, receiver, selector):
        self.process = process
        name = self.selector_names[selector]
        if receiver == 0:
            return 0  # a message to nil answers nil
        target = self.objects[receiver]
        kinds = ARGUMENT_KINDS.get(name, "i" * name.count(":"))
        arguments = Arguments(process, integer_start=2).read(kinds)
        result = self.answer(target, name, arguments)
        if name in DOUBLE_RESULTS:
            process.write_double_register(0, float(result or 0.0))
            return 0
        if isinstance(result, Obj):
            return result.id
        return int(result or 0)

    def answer(self, obj, name, args):
        handler = getattr(self, "on_" + name.replace(":", "_"), None)
        if handler is not None:
            return handler(obj, *args)
        if name.startswith("init"):
            if args:
                obj.props[name] = args
            return obj
        if name.startswith("set") and name.endswith(":") and name.count(":") == 1:
            key = name[3].lower() + name[4:-1]
            obj.props[key] = args[0]
            return None
        if ":" not in name:
            return obj.props.get(name, 0)
        obj.props[name] = args  # anything else is recorded as it came
        return None

    # Ownership and objects made by the classes.
    def on_alloc(self, cls):
        obj = self._new(cls)
        obj.owned = 1
        return obj

    def on_retain(self, obj):
        obj.owned += 1
        return obj

    def on_release(self, obj):
        obj.owned -= 1
        return None

    def on_initWithFrame_(self, obj, frame):
        obj.props["frame"] = frame
        return obj

    def on_initWithContentRect_styleMask_backing_defer_(self, obj, rect, style, backing, defer):
        obj.props.update(contentRect=rect, styleMask=style, backing=backing, defer=defer)
        return obj

    def on_stringWithUTF8String_(self, cls, text):
        return self.string(self.process.c_string(text).decode("utf-8"))

    def on_UTF8String(self, obj):
        return self.c_string(obj.props["text"])

    def _label(self, cls, text, wraps):
        return self._new(cls, {"stringValue": self.text_of(text), "label": True, "wraps": wraps})

    def on_labelWithString_(self, cls, text):
        return self._label(cls, text, False)

    def on_wrappingLabelWithString_(self, cls, text):
        return self._label(cls, text, True)

    def on_setStringValue_(self, obj, text):
        obj.props["stringValue"] = self.text_of(text)

    def on_stringValue(self, obj):
        return self.string(obj.props.get("stringValue", ""))

    def on_setTitle_(self, obj, text):
        obj.props["title"] = self.text_of(text)

    def on_setKeyEquivalent_(self, obj, text):
        obj.props["keyEquivalent"] = self.text_of(text)

    def on_setDoubleValue_(self, obj, value):
        low, high = obj.props.get("minValue", 0.0), obj.props.get("maxValue", 1.0)
        obj.props["doubleValue"] = min(max(value, low), high)  # as a slider keeps it

    def on_doubleValue(self, obj):
        return obj.props.get("doubleValue", 0.0)

    def on_setAction_(self, obj, selector):
        obj.props["action"] = self.selector_names.get(selector)

    def on_addSubview_(self, obj, child):
        child = self.objects[child]
        obj.subviews.append(child)
        child.superview = obj

    def on_setContentView_(self, window, view):
        window.props["contentView"] = self.objects[view]
        self.objects[view].props["window"] = window

    def on_contentView(self, window):
        if "contentView" not in window.props:  # AppKit's own, made with the window
            view = self._new(self.class_named("NSView"))
            self.on_setContentView_(window, view.id)
        return window.props["contentView"]

    def window_of(self, view):
        while view.superview is not None:
            view = view.superview
        return view.props.get("window")

    def on_selectText_(self, field, sender):
        window = self.window_of(field)
        window.props["firstResponder"] = field
        field.props["selectedAll"] = True

    def on_currentEditor(self, field):
        window = self.window_of(field)
        return FIELD_EDITOR if window and window.props.get("firstResponder") is field else 0

    def on_arrayWithObject_(self, cls, item):
        return self._new(cls, {"items": [self.objects[item]]})

    def on_dataWithBytesNoCopy_length_freeWhenDone_(self, cls, address, length, free):
        return self._new(cls, {"bytes": self.process.read(address, length), "free": free})

    def on_initWithData_(self, image, data):
        image.props["data"] = self.objects[data]
        return image

    def on_systemFontOfSize_(self, cls, size):
        return self._new(cls, {"pointSize": size})

    # The application, its modal runs and the panels.
    def on_sharedApplication(self, cls):
        if "shared" not in cls.props:
            cls.props["shared"] = self._new(cls)
        return cls.props["shared"]

    def on_stopModalWithCode_(self, application, code):
        self.stop_code = code - (1 << 64) if code & (1 << 63) else code

    def on_runModalForWindow_(self, application, window):
        window = self.objects[window]
        self.modal_windows.append(window)
        self.stop_code = None
        steps = self.scripts.pop(0) if self.scripts else [lambda cocoa: cocoa.press(RETURN)]
        self.draw_window(window)  # the window appears
        for step in steps:
            step(self)
            self.draw_window(window)
            if self.stop_code is not None:
                break
        if self.stop_code is None:
            raise AssertionError("the script ended with the window still open")
        code, self.stop_code = self.stop_code, None
        return code

    def _panel(self, cls, kind):
        return self._new(cls, {"kind": kind})

    def on_openPanel(self, cls):
        return self._panel(cls, "open")

    def on_savePanel(self, cls):
        return self._panel(cls, "save")

    def on_runModal(self, panel):
        types = panel.props.get("allowedFileTypes")
        allowed = [self.text_of(item.id) for item in self.objects[types].props["items"]] if types else None
        self.panels_run.append((panel.props["kind"], allowed))
        if not self.file_answers:
            raise AssertionError("a %s panel was shown with no answer ready" % panel.props["kind"])
        path = self.file_answers.pop(0)
        if path is None:
            return 0
        panel.props["URL"] = self._new(self.class_named("NSURL"), {"path": path})
        return MODAL_OK

    def on_fileSystemRepresentation(self, url):
        return self.c_string(url.props["path"])

    # Drawing.
    def on_setNeedsDisplayInRect_(self, view, rect):
        view.props.setdefault("needsDisplay", []).append(rect)

    def on_display(self, view):
        view.props["displayed"] = view.props.get("displayed", 0) + 1
        self.draw(view)

    def on_currentContext(self, cls):
        return self._context or 0

    def on_CGContext(self, context):
        return CG_CONTEXT

    def method(self, obj, name):
        cls = obj.cls
        while cls is not None:
            if name in cls.methods:
                return cls.methods[name][0]
            cls = cls.superclass
        return None

    def draw(self, view):
        """Calls the view's drawRect: (if its class has one) with its bounds."""
        imp = self.method(view, "drawRect:")
        view.props.pop("needsDisplay", None)
        if imp is None:
            return
        x, y, width, height = view.props["frame"]
        bounds = (0.0, 0.0, width, height)
        self.drawn_rects.append(bounds)
        self._context = self._new(self.class_named("NSGraphicsContext"))
        try:
            if self.process.arch == "x86_64":
                self.process.call(imp, view.id, self.selector("drawRect:"),
                                  stack=struct.pack("<4d", *bounds))
            else:
                self.process.call(imp, view.id, self.selector("drawRect:"), doubles=bounds)
        finally:
            self._context = None

    def draw_window(self, window):
        view = window.props.get("contentView")
        if view is not None and (view.props.get("needsDisplay") or "firstDrawn" not in view.props):
            view.props["firstDrawn"] = True
            self.draw(view)

    # --- what a user does ----------------------------------------------------------------

    def window(self):
        return self.modal_windows[-1]

    def views(self, window=None):
        """Every view of the window, depth first, in the order added."""
        found = []

        def walk(view):
            for child in view.subviews:
                found.append(child)
                walk(child)
        walk((window or self.window()).props["contentView"])
        return found

    def _send_action(self, control):
        target = self.objects[control.props["target"]]
        action = control.props["action"]
        imp = self.method(target, action)
        if imp is None:
            raise AssertionError("%r's target has no %s" % (control, action))
        self.process.call(imp, target.id, self.selector(action), control.id)

    def control(self, control_id):
        """The view the module made for a control of the parameter dialog's
        template, by its id: the stand-in knows the views in the order made."""
        views = self.window().props["contentView"].subviews
        return dict(zip(DIALOG_VIEW_IDS, views))[control_id]

    def click_view(self, control):
        if control.props.get("buttonType") == BUTTON_TYPE_SWITCH:
            control.props["state"] = 0 if control.props.get("state", 0) else 1
        self._send_action(control)

    def click(self, control_id):
        self.click_view(self.control(control_id))

    def press(self, key):
        buttons = [v for v in self.views() if v.props.get("keyEquivalent") == key]
        if not buttons:
            raise AssertionError("no button answers the key %r" % key)
        self.click_view(buttons[0])

    def drag(self, slider_id, value):
        slider = self.control(slider_id)
        self.on_setDoubleValue_(slider, float(value))
        self._send_action(slider)

    def type(self, field_id, text):
        field = self.control(field_id)
        self.window().props["firstResponder"] = field  # the user clicks into it
        field.props["stringValue"] = text  # what was selected is typed over
        field.props["selectedAll"] = False
        delegate = self.objects[field.props["delegate"]]
        note = self._new(self.class_named("NSNotification"))
        note.props["object"] = field
        imp = self.method(delegate, "controlTextDidChange:")
        self.process.call(imp, delegate.id, self.selector("controlTextDidChange:"), note.id)

    def close_window(self):
        window = self.window()
        delegate = self.objects[window.props["delegate"]]
        self.process.call(self.method(delegate, "windowWillClose:"), delegate.id,
                          self.selector("windowWillClose:"), 0)
