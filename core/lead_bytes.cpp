#include "lead_bytes.h"

namespace {

LeadByteTable tableOfRanges(std::initializer_list<std::array<int, 2>> ranges) {
    LeadByteTable table;
    for (const auto& range : ranges) {
        for (int byte = range[0]; byte <= range[1]; ++byte) table.isLead[byte] = true;
    }
    return table;
}

bool isKnownSingleByteCodePage(int codePage) {
    switch (codePage) {
        case 437: case 708: case 720: case 737: case 775: case 850: case 852:
        case 855: case 857: case 858: case 860: case 861: case 862: case 863:
        case 864: case 865: case 866: case 869: case 874:
        case 1250: case 1251: case 1252: case 1253: case 1254: case 1255:
        case 1256: case 1257: case 1258:
        case 10000: case 20127: case 20866: case 21866:
        case 65001:
            return true;
        default:
            // ISO 8859-1 to -16.
            return codePage >= 28591 && codePage <= 28606;
    }
}

}  // namespace

bool LeadByteTable::any() const {
    for (bool lead : isLead) {
        if (lead) return true;
    }
    return false;
}

const LeadByteTable& allHighBytesLead() {
    static const LeadByteTable table = tableOfRanges({{0x80, 0xFF}});
    return table;
}

const LeadByteTable& noLeadBytes() {
    static const LeadByteTable table;
    return table;
}

bool leadBytesOfCodePage(int codePage, LeadByteTable& out) {
    switch (codePage) {
        case 932:
            out = tableOfRanges({{0x81, 0x9F}, {0xE0, 0xFC}});
            return true;
        case 936:
        case 949:
        case 950:
            out = tableOfRanges({{0x81, 0xFE}});
            return true;
        case 1361:
            out = tableOfRanges({{0x84, 0xD3}, {0xD8, 0xDE}, {0xE0, 0xF9}});
            return true;
        default:
            if (!isKnownSingleByteCodePage(codePage)) return false;
            out = noLeadBytes();
            return true;
    }
}
