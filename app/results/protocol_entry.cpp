#include "app/results/protocol_entry.h"

#include "analysis/protocol.h"

std::vector<ProtocolPiece> ProtocolEntryPieces(const ProtocolRecord& record, int number,
                                               const std::tm& when, bool separate) {
    using P = ProtocolPiece;
    std::vector<P> pieces;
    auto add = [&pieces](std::string text, int effects, unsigned colour = P::kBlack) {
        pieces.push_back(P{std::move(text), effects, colour});
    };
    if (separate) add("\n", P::kRegular);
    add("[" + std::to_string(number) + "]", P::kRegular, P::kBlue);
    // The C locale is in force, so the names of days and months are English.
    char stamp[128];
    const size_t length =
        std::strftime(stamp, sizeof stamp, " -- %A, %B %d, %Y -- %H:%M:%S\n", &when);
    add(std::string(stamp, length), P::kItalic, P::kBlue);
    add(record.familyName + " - ", P::kBold);
    add(record.testName + "\n", P::kRegular);
    if (!record.methodText.empty()) {
        add("Options:\t", P::kBold);
        add(record.methodText + "\n", P::kRegular);
    }
    add("Analysis:\t", P::kBold);
    add(record.analysisText + "\n", P::kRegular);
    add("Input:", P::kBold);
    for (const std::string& line : record.inputLines) add("\t" + line + "\n", P::kRegular);
    add("Output:", P::kBold);
    for (const std::string& line : record.outputLines) add("\t" + line + "\n", P::kRegular);
    return pieces;
}

std::string PlainText(const std::vector<ProtocolPiece>& pieces) {
    std::string text;
    for (const ProtocolPiece& piece : pieces) text += piece.text;
    return text;
}
