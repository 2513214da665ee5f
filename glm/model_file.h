#pragma once

#include <array>
#include <optional>
#include <string>

#include "glm/labeled_matrix.h"

// The five grids of the model explorer as a ".gmm" model file keeps them:
// each grid whole (header row and column included), in the file's order.
struct ModelFileGrids {
    TextArray design;         // "Design X": cells + 1 rows, predictors + 2 columns
    TextArray means;          // "Means B": predictors + 1 rows, responses + 1 columns
    TextArray sigma;          // "Cov Sigma": responses + 1 square
    TextArray predContrasts;  // "Pred. Contrast C"
    TextArray varContrasts;   // "Var Contrast A"

    static constexpr int kBlockCount = 5;
    // The grids in file order.
    std::array<TextArray*, kBlockCount> Blocks() {
        return {&design, &means, &sigma, &predContrasts, &varContrasts};
    }
    std::array<const TextArray*, kBlockCount> Blocks() const {
        return {&design, &means, &sigma, &predContrasts, &varContrasts};
    }
    bool operator==(const ModelFileGrids&) const = default;
};

// The tab names of the blocks, in file order; messages name a block by them.
extern const std::array<const wchar_t*, ModelFileGrids::kBlockCount> kModelBlockNames;

// The limits of the explorer's count fields, which a loaded file must keep.
inline constexpr int kMaxModelCells = 100;
inline constexpr int kMaxModelPredictors = 100;
inline constexpr int kMaxModelResponses = 50;

// Why the grids cannot be written to a model file (a cell holding a comma,
// a line break or a character above 255), naming the block and the cell; or
// nothing.
std::optional<std::wstring> CheckModelTexts(const ModelFileGrids& grids);

// The bytes of the model file: five labelled-matrix text blocks, each
// followed by an empty line, one byte per character (Latin-1) and CR LF at
// every line end. Call CheckModelTexts first: a character it refuses would
// not survive.
std::string WriteModelFile(const ModelFileGrids& grids);

// Reads the bytes of a model file into `grids`; on any fault the reason,
// naming the block, and `grids` untouched. Line ends may be CR LF or LF.
// Besides the block layout it checks what the explorer relies on: the
// counts within the count fields' ranges, a square covariance grid, contrast
// grids of at least four columns whose use cells are "0" or "1" and whose
// normalization indices the grid offers.
std::optional<std::wstring> ReadModelFile(const std::string& bytes, ModelFileGrids& grids);
