"""The host's FilterRecord as a Mac host lays it out (natural alignment) and, for
contrast, as a Win64 host does (packed to 4 bytes): one field list, two layouts.

    layout = record_layout(MAC)   # {field: (offset, struct format)}, and layout.size
"""

import struct

MAC = "mac"  # every field at its natural alignment; pointers at multiples of 8
WIN64 = "win64"  # no field aligned beyond 4 bytes

# (name, struct format of the field, natural alignment)
P, I32, I16, U8 = ("Q", 8), ("i", 4), ("h", 2), ("B", 1)
POINT, RECT, RGB = ("2h", 2), ("4h", 2), ("3H", 2)
FIELDS = [
    ("serialNumber", I32), ("abortProc", P), ("progressProc", P), ("parameters", P),
    ("imageSize", POINT), ("planes", I16), ("filterRect", RECT), ("background", RGB),
    ("foreground", RGB), ("maxSpace", I32), ("bufferSpace", I32), ("inRect", RECT),
    ("inLoPlane", I16), ("inHiPlane", I16), ("outRect", RECT), ("outLoPlane", I16),
    ("outHiPlane", I16), ("inData", P), ("inRowBytes", I32), ("outData", P),
    ("outRowBytes", I32), ("isFloating", U8), ("haveMask", U8), ("autoMask", U8),
    ("maskRect", RECT), ("maskData", P), ("maskRowBytes", I32), ("backColor", ("4B", 1)),
    ("foreColor", ("4B", 1)), ("hostSig", ("I", 4)), ("hostProc", P), ("imageMode", I16),
    ("imageHRes", I32), ("imageVRes", I32), ("floatCoord", POINT), ("wholeSize", POINT),
    ("monitor", ("10i", 4)), ("platformData", P), ("bufferProcs", P), ("resourceProcs", P),
    ("processEvent", P), ("displayPixels", P), ("handleProcs", P),
    ("supportsDummyChannels", U8), ("supportsAlternateLayouts", U8), ("wantLayout", I16),
    ("filterCase", I16), ("dummyPlaneValue", I16), ("premiereHook", P), ("advanceState", P),
    ("supportsAbsolute", U8), ("wantsAbsolute", U8), ("getPropertyObsolete", P),
    ("cannotUndo", U8), ("supportsPadding", U8), ("inputPadding", I16),
    ("outputPadding", I16), ("maskPadding", I16), ("samplingSupport", ("b", 1)),
    ("reservedByte", ("b", 1)), ("inputRate", I32), ("maskRate", I32), ("colorServices", P),
] + [(name, I16) for name in (
    "inLayerPlanes", "inTransparencyMask", "inLayerMasks", "inInvertedLayerMasks",
    "inNonLayerPlanes", "outLayerPlanes", "outTransparencyMask", "outLayerMasks",
    "outInvertedLayerMasks", "outNonLayerPlanes", "absLayerPlanes", "absTransparencyMask",
    "absLayerMasks", "absInvertedLayerMasks", "absNonLayerPlanes", "inPreDummyPlanes",
    "inPostDummyPlanes", "outPreDummyPlanes", "outPostDummyPlanes")] + [
    ("inColumnBytes", I32), ("inPlaneBytes", I32), ("outColumnBytes", I32),
    ("outPlaneBytes", I32), ("imageServicesProcs", P), ("propertyProcs", P),
    ("inTileHeight", I16), ("inTileWidth", I16), ("inTileOrigin", POINT),
    ("absTileHeight", I16), ("absTileWidth", I16), ("absTileOrigin", POINT),
    ("outTileHeight", I16), ("outTileWidth", I16), ("outTileOrigin", POINT),
    ("maskTileHeight", I16), ("maskTileWidth", I16), ("maskTileOrigin", POINT),
    ("descriptorParameters", P), ("errorString", P), ("channelPortProcs", P),
    ("documentInfo", P), ("sSPBasic", P), ("plugInRef", P), ("depth", I32),
    ("iCCprofileData", P), ("iCCprofileSize", I32), ("canUseICCProfiles", I32),
    ("hasImageScrap", I32), ("bigDocumentData", P), ("input3DScene", P), ("output3DScene", P),
    ("createNewLayer", U8), ("iCCWorkingProfileData", P), ("iCCWorkingProfileSize", I32),
    ("bufferSpace64", ("q", 8)), ("maxSpace64", ("q", 8)), ("reserved", ("46s", 1)),
]
PACKING = {MAC: 8, WIN64: 4}


class Layout(dict):
    size = 0


def record_layout(platform):
    layout, offset, largest = Layout(), 0, 1
    for name, (fmt, natural) in FIELDS:
        alignment = min(natural, PACKING[platform])
        largest = max(largest, alignment)
        offset = (offset + alignment - 1) // alignment * alignment
        layout[name] = (offset, "<" + fmt)
        offset += struct.calcsize("<" + fmt)
    layout.size = (offset + largest - 1) // largest * largest
    return layout


# The records that come with the filter record, the same on both (natural alignment).
HANDLE_PROCS = [("handleProcsVersion", "<h", 0), ("numHandleProcs", "<h", 2), ("newProc", "<Q", 8),
                ("disposeProc", "<Q", 16), ("getSizeProc", "<Q", 24), ("setSizeProc", "<Q", 32),
                ("lockProc", "<Q", 40), ("unlockProc", "<Q", 48), ("recoverSpaceProc", "<Q", 56),
                ("disposeRegularHandleProc", "<Q", 64)]
HANDLE_PROCS_SIZE = 72
ABOUT_RECORD_SIZE = 272  # platformData 0, sSPBasic 8, plugInRef 16, reserved
PLATFORM_DATA_SIZE = 2  # one 16-bit dummy: the Mac has no window to hand over

# What the layouts must give, as the host's headers lay them out.
_EXPECTED = {
    MAC: {"abortProc": 8, "inData": 96, "platformData": 232, "handleProcs": 272, "filterCase": 284,
          "advanceState": 296, "supportsPadding": 321, "inputRate": 332, "sSPBasic": 488,
          "depth": 504, "bigDocumentData": 536, "maxSpace64": 592, "reserved": 600},
    WIN64: {"abortProc": 4, "inData": 88, "platformData": 216, "handleProcs": 256,
            "sSPBasic": 464, "bigDocumentData": 504, "reserved": 560},
}
_EXPECTED_SIZE = {MAC: 648, WIN64: 608}
for _platform, _offsets in _EXPECTED.items():
    _layout = record_layout(_platform)
    assert _layout.size == _EXPECTED_SIZE[_platform], (_platform, _layout.size)
    for _name, _offset in _offsets.items():
        assert _layout[_name][0] == _offset, (_platform, _name, _layout[_name][0])
