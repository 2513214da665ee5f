#pragma once

#include <ctime>
#include <string>
#include <vector>

struct ProtocolRecord;

// One piece of a protocol entry: text with its attributes. Colours are
// 0x00BBGGRR values, as the rich text of the protocol takes them.
struct ProtocolPiece {
    enum Effects { kRegular = 0, kBold = 1, kItalic = 2 };
    static constexpr unsigned kBlack = 0x000000;
    static constexpr unsigned kBlue = 0xFF0000;

    std::string text;  // 8-bit text, math markup kept
    int effects = kRegular;
    unsigned colour = kBlack;
};

// The pieces of entry `number` of the protocol, written at `when` (local
// time): a blue header with the number and the time stamp, the family and
// the test, the options line when the record has a method text, the
// analysis, then the input and output lines. `separate` puts an empty line
// before the entry, for a protocol that holds text already.
std::vector<ProtocolPiece> ProtocolEntryPieces(const ProtocolRecord& record, int number,
                                               const std::tm& when, bool separate);

// The text of the pieces, attributes dropped.
std::string PlainText(const std::vector<ProtocolPiece>& pieces);
