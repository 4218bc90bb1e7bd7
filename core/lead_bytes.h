#pragma once

#include <array>

// Which bytes open a two-byte character in the text's code page. A lead byte
// always takes the byte after it as its second byte, so a CR or LF in that
// place is part of the character, never a line break. Every other byte stands
// for itself. Only bytes from 0x80 up are ever lead bytes: ASCII is ASCII in
// every code page this program meets, and the line scanner relies on it.
struct LeadByteTable {
    std::array<bool, 256> isLead{};

    bool operator[](unsigned char byte) const { return isLead[byte]; }
    bool any() const;
};

// Every byte from 0x80 to 0xFF counts as a lead byte: the historical rule,
// blind to the code page.
const LeadByteTable& allHighBytesLead();

// No lead bytes: single-byte code pages and UTF-8. CR LF is a line break
// wherever it stands.
const LeadByteTable& noLeadBytes();

// The lead bytes of a Windows code page, known without asking the system, so
// every platform splits alike. Returns false for a code page it does not know.
// Double-byte: 932 (Shift-JIS), 936 (GBK), 949 (Unified Hangul), 950 (Big5),
// 1361 (Johab). Single-byte pages (OEM, ANSI, ISO 8859) and 65001 (UTF-8) have
// none.
bool leadBytesOfCodePage(int codePage, LeadByteTable& out);
