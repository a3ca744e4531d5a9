// The reference host's PiPL reader: what it reads from a well-formed list and
// how it refuses malformed ones, without reading outside the bytes it is given.

#include "plughost/module/pipl_reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "sdk/host_constants.h"

// The reader is part of plughost, not of the portable library this test binary
// links; it is compiled into the test here until the test build lists it.
#include "plughost/module/pipl_reader.cpp"

namespace {

using Bytes = std::vector<uint8>;

constexpr size_t kHeaderBytes = 10;  // int16 reserved, int32 version, int32 count

void putU32(Bytes* out, uint32 value) {
    for (int i = 0; i < 4; ++i) out->push_back(uint8(value >> (8 * i)));
}

// A code as the list stores it: the little-endian bytes of the number.
uint32 code(const char (&text)[5]) { return fourCharCode(text); }

struct Property {
    uint32 vendor;
    uint32 key;
    Bytes data;
    bool pad = true;  // add zero bytes up to a multiple of 4
};

Property prop(const char (&key)[5], Bytes data) { return Property{code("8BIM"), code(key), data}; }

Bytes u32Bytes(uint32 value) {
    Bytes out;
    putU32(&out, value);
    return out;
}

Bytes pascal(const std::string& text) {
    Bytes out{uint8(text.size())};
    out.insert(out.end(), text.begin(), text.end());
    if (out.size() % 2) out.push_back(0);
    return out;
}

Bytes cString(const std::string& text) {
    Bytes out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

constexpr int32 kCountOfProperties = INT32_MIN;  // buildList: count what is there

Bytes buildList(const std::vector<Property>& properties, int16 reserved = 1, int32 version = 0,
                int32 count = kCountOfProperties) {
    Bytes out{uint8(reserved), uint8(uint16(reserved) >> 8)};
    putU32(&out, uint32(version));
    putU32(&out, uint32(count != kCountOfProperties ? count : int32(properties.size())));
    for (const Property& p : properties) {
        putU32(&out, p.vendor);
        putU32(&out, p.key);
        putU32(&out, 0);
        putU32(&out, uint32(p.data.size()));
        out.insert(out.end(), p.data.begin(), p.data.end());
        while (p.pad && out.size() % 4 != kHeaderBytes % 4) out.push_back(0);
    }
    return out;
}

Bytes filterCases(uint8 input, uint8 output, uint8 flags1) {
    Bytes out;
    for (int i = 0; i < kFilterCaseCount; ++i) {
        out.insert(out.end(), {input, output, flags1, 0});
    }
    return out;
}

// The eight properties of the Lumiveil module's list, in its order. Every
// length is a whole multiple of 4: the entry point's and the modes' zero bytes
// are counted in.
std::vector<Property> lumiveilProperties() {
    return {prop("kind", u32Bytes(code("8BFM"))),
            prop("vers", u32Bytes(0x00040000)),
            prop("prty", u32Bytes(0)),
            prop("catg", pascal("Harborlight Effects")),
            prop("name", pascal("Lumiveil...")),
            prop("wx86", cString("ENTRYPOINT") + Bytes{0}),
            prop("mode", Bytes{0x10, 0x00, 0x00, 0x00}),
            prop("fici", filterCases(1, 1, 0x01))};
}

// The same list with the lengths left unpadded (11 and 2), as modules often
// declare them: the bytes are the same but for those two length fields.
std::vector<Property> unpaddedLengthProperties() {
    std::vector<Property> properties = lumiveilProperties();
    properties[5].data = cString("ENTRYPOINT");
    properties[6].data = Bytes{0x10, 0x00};
    return properties;
}

bool parse(const Bytes& bytes, PiplRecord* record, std::string* error,
           PiplStepping stepping = PiplStepping::RoundedLength) {
    // A copy of exactly the right size, so AddressSanitizer sees any read past it.
    std::vector<uint8> exact(bytes);
    return readPipl(exact.empty() ? nullptr : exact.data(), exact.size(), record, error, stepping);
}

TEST(PiplReader, ReadsEveryPropertyOfAFilterList) {
    const Bytes list = buildList(lumiveilProperties());
    EXPECT_EQ(list.size(), 226u);  // 10 + 20 + 20 + 20 + 36 + 28 + 28 + 20 + 44
    PiplRecord record;
    std::string error;
    ASSERT_TRUE(parse(list, &record, &error)) << error;
    EXPECT_EQ(record.kind, code("8BFM"));
    EXPECT_EQ(fourCharText(record.kind), "8BFM");
    EXPECT_EQ(record.version, 0x00040000);
    EXPECT_TRUE(record.hasPriority);
    EXPECT_EQ(record.priority, 0);
    EXPECT_EQ(record.category, "Harborlight Effects");
    EXPECT_EQ(record.name, "Lumiveil...");
    EXPECT_EQ(record.entryX86, "ENTRYPOINT");
    EXPECT_EQ(record.entryX64, "");
    EXPECT_TRUE(piplSupportsMode(record, plugInModeRGBColor));
    EXPECT_FALSE(piplSupportsMode(record, plugInModeGrayScale));
    ASSERT_TRUE(record.hasFilterCases);
    for (const FilterCaseInfo& info : record.filterCases) {
        EXPECT_EQ(info.inputHandling, 1);
        EXPECT_EQ(info.outputHandling, 1);
        EXPECT_EQ(info.flags1, 0x01);
        EXPECT_EQ(info.flags2, 0);
    }
    ASSERT_EQ(record.properties.size(), 8u);
    EXPECT_EQ(record.properties[4].key, code("name"));
    EXPECT_EQ(record.properties[4].length, 12);
    EXPECT_EQ(record.properties[4].offset, 10u + 20 + 20 + 20 + 36 + 16);
}

TEST(PiplReader, StoresCodesAsLittleEndianNumbers) {
    const Bytes list = buildList(lumiveilProperties());
    EXPECT_EQ(std::string(list.begin() + 10, list.begin() + 18), "MIB8dnik");
}

TEST(PiplReader, ModeFlagsCountFromTheMostSignificantBit) {
    std::vector<Property> properties = lumiveilProperties();
    properties[6] = prop("mode", Bytes{0x50, 0x10});  // GrayScale, RGBColor; RGB48
    PiplRecord record;
    std::string error;
    ASSERT_TRUE(parse(buildList(properties), &record, &error)) << error;
    const int supported[] = {1, 3, 11};
    const int unsupported[] = {0, 2, 4, 8, 9, 10, 12, 16, 17};
    for (int mode : supported) EXPECT_TRUE(piplSupportsMode(record, mode)) << mode;
    for (int mode : unsupported) EXPECT_FALSE(piplSupportsMode(record, mode)) << mode;
}

TEST(PiplReader, TakesTheFirstOfARepeatedKeyAndSkipsOtherVendors) {
    std::vector<Property> properties = lumiveilProperties();
    properties.push_back(prop("name", pascal("Second")));
    properties.insert(properties.begin(), Property{code("ABCD"), code("name"), pascal("Foreign")});
    PiplRecord record;
    std::string error;
    ASSERT_TRUE(parse(buildList(properties), &record, &error)) << error;
    EXPECT_EQ(record.name, "Lumiveil...");
    EXPECT_EQ(record.properties.size(), 10u);
}

TEST(PiplReader, AcceptsAMissingPadAfterTheLastProperty) {
    std::vector<Property> properties = {prop("kind", u32Bytes(code("8BFM"))),
                                        prop("8664", cString("PluginMain"))};
    properties.back().pad = false;  // 11 bytes of data end the list
    PiplRecord record;
    std::string error;
    ASSERT_TRUE(parse(buildList(properties), &record, &error)) << error;
    EXPECT_EQ(record.entryX64, "PluginMain");
}

struct MalformedCase {
    const char* what;
    Bytes bytes;
    const char* message;  // a part of the error text
};

std::vector<MalformedCase> malformedCases() {
    std::vector<MalformedCase> cases;
    const Bytes good = buildList(lumiveilProperties());
    cases.push_back({"no bytes", Bytes{}, "truncated"});
    cases.push_back({"header cut short", Bytes(good.begin(), good.begin() + 9), "truncated"});
    cases.push_back({"wrong first word", buildList(lumiveilProperties(), 2), "header is wrong"});
    cases.push_back({"list version 1", buildList(lumiveilProperties(), 1, 1), "version 1"});
    cases.push_back({"negative count", buildList(lumiveilProperties(), 1, 0, -2), "negative"});
    cases.push_back(
        {"count past the properties", buildList(lumiveilProperties(), 1, 0, 9), "truncated"});
    cases.push_back(
        {"property header cut", Bytes(good.begin(), good.begin() + 10 + 12), "truncated"});
    cases.push_back({"data cut", Bytes(good.begin(), good.begin() + 10 + 16 + 2), "past the end"});

    Bytes longLength = good;
    longLength[10 + 12] = 0xF0;  // the first property claims 240 bytes
    cases.push_back({"length past the end", longLength, "past the end"});
    Bytes negativeLength = good;
    negativeLength[10 + 15] = 0x80;
    cases.push_back({"negative length", negativeLength, "past the end"});

    std::vector<Property> noKind = lumiveilProperties();
    noKind.erase(noKind.begin());
    cases.push_back({"no kind", buildList(noKind), "no 'kind'"});
    std::vector<Property> noEntry = lumiveilProperties();
    noEntry.erase(noEntry.begin() + 5);
    cases.push_back({"no entry point", buildList(noEntry), "no entry point"});

    std::vector<Property> longName = lumiveilProperties();
    longName[4].data[0] = 40;  // the length byte claims more than the property holds
    cases.push_back({"string past its property", buildList(longName), "runs past"});
    std::vector<Property> openEntry = lumiveilProperties();
    openEntry[5] = prop("wx86", Bytes{'E', 'N', 'T', 'R'});
    cases.push_back({"entry without terminator", buildList(openEntry), "not terminated"});
    std::vector<Property> emptyEntry = lumiveilProperties();
    emptyEntry[5] = prop("wx86", Bytes{0});
    cases.push_back({"empty entry name", buildList(emptyEntry), "is empty"});
    std::vector<Property> shortCases = lumiveilProperties();
    shortCases[7] = prop("fici", Bytes(24, 1));
    cases.push_back({"six filter cases", buildList(shortCases), "fewer than 7"});
    std::vector<Property> shortKind = lumiveilProperties();
    shortKind[0] = prop("kind", Bytes{'M', 'F'});
    cases.push_back({"short kind", buildList(shortKind), "shorter than 4"});
    std::vector<Property> emptyName = lumiveilProperties();
    emptyName[4] = prop("name", Bytes{});
    cases.push_back({"empty name property", buildList(emptyName), "is empty"});
    return cases;
}

TEST(PiplReader, RefusesMalformedListsWithAMessage) {
    for (const MalformedCase& c : malformedCases()) {
        PiplRecord record;
        std::string error;
        EXPECT_FALSE(parse(c.bytes, &record, &error)) << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos)
            << c.what << ": got \"" << error << "\"";
    }
}

TEST(PiplReader, RefusesEveryCutThroughAProperty) {
    const Bytes good = buildList(lumiveilProperties());
    // The 'fici' data (28 bytes, no padding) ends the list, so every shorter
    // size cuts through a property or leaves one out.
    for (size_t size = 0; size < good.size(); ++size) {
        PiplRecord record;
        std::string error;
        EXPECT_FALSE(parse(Bytes(good.begin(), good.begin() + size), &record, &error))
            << "a list cut to " << size << " bytes was accepted";
        EXPECT_FALSE(error.empty()) << size;
    }
}

TEST(PiplReader, BothSteppingsReadAListOfWholeLengthsAlike) {
    const Bytes list = buildList(lumiveilProperties());
    PiplRecord rounded, lengthOnly;
    std::string error;
    ASSERT_TRUE(parse(list, &rounded, &error)) << error;
    ASSERT_TRUE(parse(list, &lengthOnly, &error, PiplStepping::LengthOnly)) << error;
    ASSERT_EQ(lengthOnly.properties.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(lengthOnly.properties[i].key, rounded.properties[i].key) << i;
        EXPECT_EQ(lengthOnly.properties[i].offset, rounded.properties[i].offset) << i;
    }
    EXPECT_EQ(rounded.end, 226u);
    EXPECT_EQ(lengthOnly.end, 226u);
    EXPECT_EQ(lengthOnly.entryX86, "ENTRYPOINT");
    EXPECT_TRUE(piplSupportsMode(lengthOnly, plugInModeRGBColor));
    EXPECT_TRUE(lengthOnly.hasFilterCases);
    EXPECT_TRUE(piplSteppingsAgree(list.data(), list.size(), &error)) << error;
}

TEST(PiplReader, StepsByLengthAloneLoseTheirWayAfterAnUnpaddedLength) {
    const Bytes list = buildList(unpaddedLengthProperties());
    ASSERT_EQ(list.size(), 226u);
    PiplRecord rounded, lengthOnly;
    std::string error;
    ASSERT_TRUE(parse(list, &rounded, &error)) << error;
    EXPECT_EQ(rounded.entryX86, "ENTRYPOINT");
    // One byte short of the padding, the walk takes the entry point's zero and
    // the 'mode' header's first bytes for a property of 512 bytes.
    EXPECT_FALSE(parse(list, &lengthOnly, &error, PiplStepping::LengthOnly));
    EXPECT_NE(error.find("property 7 of 8"), std::string::npos) << error;
    EXPECT_NE(error.find("length 512"), std::string::npos) << error;

    std::string difference;
    EXPECT_FALSE(piplSteppingsAgree(list.data(), list.size(), &difference));
    EXPECT_NE(difference.find("stepping by the length alone"), std::string::npos) << difference;
}

TEST(PiplReader, NamesCodesCasesAndHandling) {
    EXPECT_EQ(fourCharText(code("wx86")), "wx86");
    EXPECT_EQ(fourCharText(0x41000142u), "A??B");
    EXPECT_EQ(imageModeName(3), "RGBColor");
    EXPECT_EQ(imageModeName(40), "mode 40");
    EXPECT_EQ(dataHandlingName(1), "straight");
    EXPECT_EQ(dataHandlingName(0), "cannot filter");
    EXPECT_EQ(filterCaseName(2), "flat image, with selection");
    EXPECT_EQ(filterCaseName(9), "case 9");
}

}  // namespace
