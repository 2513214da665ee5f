#include "app/drawer/per_test_input_stores.h"

PropertyList* PerTestInputStores::Find(int testId) const {
    const auto it = stores_.find(testId);
    return it == stores_.end() ? nullptr : it->second.get();
}

PropertyList* PerTestInputStores::FindOrCreate(int testId, bool* created) {
    std::unique_ptr<PropertyList>& slot = stores_[testId];
    if (created) *created = !slot;
    if (!slot) slot = std::make_unique<PropertyList>();
    return slot.get();
}
