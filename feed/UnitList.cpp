#include "feed/UnitList.h"

#include <utility>

TUnitList::TUnitList(const std::vector<TUnitSnapshot>& units) {
    reserve(units.size());
    for (const TUnitSnapshot& unit : units)
        push_back(unit);
}

TUnitSnapshot& TUnitList::operator[](std::size_t i) {
    TShared& item = FItems[i];
    // Held by this list alone, the unit was made here as a non-const object.
    if (item.use_count() != 1)
        item = std::make_shared<TUnitSnapshot>(*item);
    return const_cast<TUnitSnapshot&>(*item);
}

void TUnitList::push_back(TUnitSnapshot unit) {
    FItems.push_back(std::make_shared<TUnitSnapshot>(std::move(unit)));
}
