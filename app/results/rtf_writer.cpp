#include "app/results/rtf_writer.h"

#include <algorithm>
#include <cstdint>

namespace rtf {

std::string EscapeText(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        switch (c) {
            case u'\\':
                out += "\\\\";
                break;
            case u'{':
                out += "\\{";
                break;
            case u'}':
                out += "\\}";
                break;
            case u'\t':
                out += "\\tab ";
                break;
            case u'\n':
            case 0x2029:  // paragraph separator
                out += "\\par\n";
                break;
            case 0x2028:  // line separator
                out += "\\line ";
                break;
            default:
                if (c < 0x20) break;  // carriage returns and other control characters
                if (c < 0x80) {
                    out += static_cast<char>(c);
                } else {
                    // Code units above 0x7FFF are written as negative numbers;
                    // surrogate pairs go out as two escapes, as readers expect.
                    out += "\\u" + std::to_string(static_cast<int16_t>(c)) + "?";
                }
        }
    }
    return out;
}

namespace {

std::string ColourEntry(unsigned colour) {
    return "\\red" + std::to_string(colour & 0xFF) + "\\green" +
           std::to_string((colour >> 8) & 0xFF) + "\\blue" + std::to_string((colour >> 16) & 0xFF) +
           ";";
}

}  // namespace

std::string WriteDocument(const std::vector<Run>& runs, const Style& style) {
    std::vector<unsigned> colours;
    for (const Run& run : runs) {
        if (run.text.isEmpty()) continue;
        if (std::find(colours.begin(), colours.end(), run.colour) == colours.end())
            colours.push_back(run.colour);
    }

    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n";
    out += "{\\fonttbl{\\f0\\fswiss\\fcharset0 " + EscapeText(style.fontFamily) + ";}}\n";
    // Entry 0 of the colour table is the reader's default colour.
    out += "{\\colortbl ;";
    for (unsigned colour : colours) out += ColourEntry(colour);
    out += "}\n";
    out += "\\pard";
    for (int stop : style.tabStops) out += "\\tx" + std::to_string(stop);
    out += "\\plain\\f0\\fs" + std::to_string(style.halfPoints) + "\n";
    for (const Run& run : runs) {
        if (run.text.isEmpty()) continue;
        const size_t index =
            std::find(colours.begin(), colours.end(), run.colour) - colours.begin() + 1;
        out += "{\\cf" + std::to_string(index);
        if (run.bold) out += "\\b";
        if (run.italic) out += "\\i";
        out += " " + EscapeText(run.text) + "}";
    }
    out += "\n}\n";
    return out;
}

}  // namespace rtf
