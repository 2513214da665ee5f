#pragma once

#include <map>
#include <memory>

#include "analysis/property.h"

// The panel inputs of every test id for the whole run: one named-value store
// per test id, made the first time the effect-size drawer opens for that id
// and kept until the frame goes, so that a panel shows again what the user
// entered when the test is chosen again.
class PerTestInputStores {
  public:
    // The store of `testId`, or null when none was made yet.
    PropertyList* Find(int testId) const;
    // The store of `testId`, made empty when there is none yet.
    PropertyList* FindOrCreate(int testId, bool* created = nullptr);
    int Count() const { return static_cast<int>(stores_.size()); }

  private:
    std::map<int, std::unique_ptr<PropertyList>> stores_;
};
