#pragma once

#include <string>
#include <vector>

// The content of one entry of the protocol of power analyses, filled by
// PowerAnalysis::MakeProtocolRecord after a successful calculation. A line
// is the parameter's label (markup kept), "\t=\t" and the value text.
struct ProtocolRecord {
    std::string familyName;
    std::string testName;
    std::string analysisText;  // the chosen analysis type, cut before its first "-"
    std::string methodText;
    std::vector<std::string> inputLines;
    std::vector<std::string> outputLines;
};
