#include "app/results/protocol_entry.h"

#include <gtest/gtest.h>

#include "analysis/protocol.h"

namespace {

ProtocolRecord Record(std::string method) {
    ProtocolRecord record;
    record.familyName = "t tests";
    record.testName = "Means: Difference from constant (one sample case)";
    record.analysisText = "Post hoc: Compute achieved power ";
    record.methodText = std::move(method);
    record.inputLines = {"Tail(s)\t=\tTwo", "$\\alpha$ err prob\t=\t0.05"};
    record.outputLines = {"Power (1-$\\beta$ err prob)\t=\t0.8"};
    return record;
}

std::tm Noon() {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 2;  // March
    when.tm_mday = 4;
    when.tm_wday = 3;  // Wednesday
    when.tm_hour = 13;
    when.tm_min = 5;
    when.tm_sec = 9;
    return when;
}

TEST(ProtocolEntry, PiecesCarryTheirTextAndAttributes) {
    using P = ProtocolPiece;
    const auto pieces = ProtocolEntryPieces(Record("Exact"), 12, Noon(), true);
    struct Expected {
        const char* text;
        int effects;
        unsigned colour;
    } expected[] = {
        {"\n", P::kRegular, P::kBlack},
        {"[12]", P::kRegular, P::kBlue},
        {" -- Wednesday, March 04, 2026 -- 13:05:09\n", P::kItalic, P::kBlue},
        {"t tests - ", P::kBold, P::kBlack},
        {"Means: Difference from constant (one sample case)\n", P::kRegular, P::kBlack},
        {"Options:\t", P::kBold, P::kBlack},
        {"Exact\n", P::kRegular, P::kBlack},
        {"Analysis:\t", P::kBold, P::kBlack},
        {"Post hoc: Compute achieved power \n", P::kRegular, P::kBlack},
        {"Input:", P::kBold, P::kBlack},
        {"\tTail(s)\t=\tTwo\n", P::kRegular, P::kBlack},
        {"\t$\\alpha$ err prob\t=\t0.05\n", P::kRegular, P::kBlack},
        {"Output:", P::kBold, P::kBlack},
        {"\tPower (1-$\\beta$ err prob)\t=\t0.8\n", P::kRegular, P::kBlack},
    };
    ASSERT_EQ(pieces.size(), std::size(expected));
    for (size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(pieces[i].text, expected[i].text) << i;
        EXPECT_EQ(pieces[i].effects, expected[i].effects) << i;
        EXPECT_EQ(pieces[i].colour, expected[i].colour) << i;
    }
}

TEST(ProtocolEntry, FirstEntryWithoutMethodHasNoSeparatorAndNoOptionsLine) {
    const std::string text = PlainText(ProtocolEntryPieces(Record(""), 1, Noon(), false));
    EXPECT_EQ(text.rfind("[1] -- Wednesday", 0), 0u);
    EXPECT_EQ(text.find("Options:"), std::string::npos);
}

}  // namespace
