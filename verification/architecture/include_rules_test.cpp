// The include rules of the tree, checked from the #include lines of the
// sources on every test run: layers only reach downward, app/ has no include
// cycle, and no program file outside app/frame includes a frame header.
// There is no list of tolerated includes: any include that breaks a rule
// fails (tests and tools may include the frame's headers, see IsTestOrTool).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = QUORIX_SOURCE_DIR;

using Graph = std::map<std::string, std::set<std::string>>;
using Group = std::set<std::string>;

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The quoted includes of one file; the project includes its own headers by
// their path from the root ("numerics/root.h").
std::vector<std::string> QuotedIncludes(const fs::path& file) {
    std::vector<std::string> result;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        size_t i = line.find_first_not_of(" \t");
        if (i == std::string::npos || line[i] != '#') continue;
        i = line.find_first_not_of(" \t", i + 1);
        if (i == std::string::npos || line.compare(i, 7, "include") != 0) continue;
        const size_t open = line.find('"', i + 7);
        if (open == std::string::npos) continue;
        const size_t close = line.find('"', open + 1);
        if (close == std::string::npos) continue;
        result.push_back(line.substr(open + 1, close - open - 1));
    }
    return result;
}

// Every .h and .cpp of the tree by its path from the root, with its includes.
const std::map<std::string, std::vector<std::string>>& SourceIncludes() {
    static const auto sources = [] {
        std::map<std::string, std::vector<std::string>> result;
        for (auto it = fs::recursive_directory_iterator(kRoot); it != fs::end(it); ++it) {
            const std::string name = it->path().filename().string();
            if (it->is_directory() && (StartsWith(name, ".") || StartsWith(name, "build"))) {
                it.disable_recursion_pending();
                continue;
            }
            const std::string ext = it->path().extension().string();
            if (!it->is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
            result[fs::relative(it->path(), kRoot).generic_string()] = QuotedIncludes(it->path());
        }
        return result;
    }();
    return sources;
}

// Tests, their support headers, benchmarks and the picture programs under
// verification/ assemble the whole window on purpose; the rules on the
// frame's headers are about the program itself.
bool IsTestOrTool(const std::string& path) {
    return path.find("_test.cpp") != std::string::npos ||
           path.find("test_support") != std::string::npos ||
           path.find("/bench/") != std::string::npos || StartsWith(path, "verification/");
}

// Lowest first. A file may include headers of its own layer or of lower ones.
int Layer(const std::string& path) {
    static const std::vector<std::string> layers = {
        "numerics/", "distributions/", "analysis/", "power/",      "glm/model/",
        "glm/",      "platform/",      "ui/",       "effectsize/", "app/"};
    for (size_t i = 0; i < layers.size(); ++i)
        if (StartsWith(path, layers[i])) return static_cast<int>(i);
    return -1;
}

// A header and its .cpp form one unit: a cycle among headers alone cannot get
// past their include guards, so the cycles that cost a maintainer run through
// a .cpp (a.cpp includes b.h while b.h or b.cpp includes a.h).
std::string Unit(const std::string& path) {
    return fs::path(path).replace_extension().generic_string();
}

// The groups of two or more nodes that all reach each other (Tarjan).
std::set<Group> CycleGroups(const Graph& graph) {
    std::map<std::string, int> index, low;
    std::vector<std::string> stack;
    std::set<std::string> onStack;
    std::set<Group> groups;
    int next = 0;
    std::function<void(const std::string&)> visit = [&](const std::string& node) {
        index[node] = low[node] = next++;
        stack.push_back(node);
        onStack.insert(node);
        if (auto edges = graph.find(node); edges != graph.end()) {
            for (const std::string& to : edges->second) {
                if (!index.count(to)) {
                    visit(to);
                    low[node] = std::min(low[node], low[to]);
                } else if (onStack.count(to)) {
                    low[node] = std::min(low[node], index[to]);
                }
            }
        }
        if (low[node] != index[node]) return;
        Group group;
        std::string member;
        do {
            member = stack.back();
            stack.pop_back();
            onStack.erase(member);
            group.insert(member);
        } while (member != node);
        if (group.size() > 1) groups.insert(group);
    };
    for (const auto& [node, edges] : graph)
        if (!index.count(node)) visit(node);
    return groups;
}

std::string Join(const Group& group) {
    std::string text;
    for (const std::string& member : group) text += "\n    " + member;
    return text;
}

TEST(IncludeRules, CycleFinderSeesCyclesThroughAnyPathAndNothingElse) {
    const Graph graph = {{"a", {"b"}}, {"b", {"c"}}, {"c", {"a", "d"}},
                         {"d", {"e"}}, {"e", {"d"}}, {"f", {"a"}}};
    EXPECT_EQ(CycleGroups(graph), (std::set<Group>{{"a", "b", "c"}, {"d", "e"}}));
    EXPECT_TRUE(CycleGroups({{"a", {"b", "c"}}, {"b", {"c"}}, {"c", {}}}).empty());
}

TEST(IncludeRules, NoLayerIncludesAHigherOne) {
    std::vector<std::string> upward;
    for (const auto& [file, includes] : SourceIncludes()) {
        const int from = Layer(file);
        if (from < 0) continue;
        for (const std::string& header : includes)
            if (Layer(header) > from) upward.push_back(file + " -> " + header);
    }
    EXPECT_TRUE(upward.empty()) << ::testing::PrintToString(upward);
}

TEST(IncludeRules, AppHasNoIncludeCycle) {
    Graph units;
    for (const auto& [file, includes] : SourceIncludes()) {
        if (!StartsWith(file, "app/")) continue;
        auto& edges = units[Unit(file)];
        for (const std::string& header : includes)
            if (StartsWith(header, "app/") && Unit(header) != Unit(file))
                edges.insert(Unit(header));
    }
    for (const Group& group : CycleGroups(units))
        ADD_FAILURE() << "an include cycle in app/; these units reach each other:" << Join(group);
}

TEST(IncludeRules, NoProgramFileOutsideTheFrameIncludesAFrameHeader) {
    for (const auto& [file, includes] : SourceIncludes()) {
        if (StartsWith(file, "app/frame/") || IsTestOrTool(file)) continue;
        for (const std::string& header : includes)
            if (StartsWith(header, "app/frame/"))
                ADD_FAILURE() << "a frame header included from outside app/frame: " << file
                              << " includes " << header;
    }
}

}  // namespace
