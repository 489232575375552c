#pragma once
// The units of a record snapshot, read like a vector of TUnitSnapshot. Each
// unit is held through a shared pointer so that a snapshot can share the
// units that have not changed since the one before it: with 252 units and a
// snapshot after every reply, copying every unit each time was most of what
// the feed cost. A unit reached through the non-const operator[] is copied
// first when another snapshot shares it, so a shared unit never changes.

#include "comm/BusHealth.h"
#include "record/UpsInfoRec.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

struct TUnitSnapshot {
    uint8_t Address = 0;
    std::string Name; // as the device tree shows it, UTF-8
    TUpsInfoRec Record;
    TUnitHealth Health;
};

class TUnitList {
    using TShared = std::shared_ptr<const TUnitSnapshot>;
    using TItems = std::vector<TShared>;

public:
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = TUnitSnapshot;
        using difference_type = std::ptrdiff_t;
        using pointer = const TUnitSnapshot*;
        using reference = const TUnitSnapshot&;

        const_iterator() = default;
        explicit const_iterator(TItems::const_iterator at) : FAt(at) {}
        reference operator*() const { return **FAt; }
        pointer operator->() const { return FAt->get(); }
        const_iterator& operator++() {
            ++FAt;
            return *this;
        }
        const_iterator operator++(int) { return const_iterator(FAt++); }
        bool operator==(const const_iterator&) const = default;

    private:
        TItems::const_iterator FAt;
    };

    TUnitList() = default;
    TUnitList(std::initializer_list<TUnitSnapshot> units)
        : TUnitList(std::vector<TUnitSnapshot>(units)) {}
    TUnitList(const std::vector<TUnitSnapshot>& units); // NOLINT: reads as a vector

    [[nodiscard]] std::size_t size() const { return FItems.size(); }
    [[nodiscard]] bool empty() const { return FItems.empty(); }
    [[nodiscard]] const_iterator begin() const { return const_iterator(FItems.begin()); }
    [[nodiscard]] const_iterator end() const { return const_iterator(FItems.end()); }
    const TUnitSnapshot& operator[](std::size_t i) const { return *FItems[i]; }
    TUnitSnapshot& operator[](std::size_t i);

    void reserve(std::size_t count) { FItems.reserve(count); }
    void push_back(TUnitSnapshot unit);
    void pop_back() { FItems.pop_back(); }
    // Appends unit i of other, shared rather than copied.
    void PushShared(const TUnitList& other, std::size_t i) { FItems.push_back(other.FItems[i]); }
    // True when unit i is the very object unit j of other holds.
    [[nodiscard]] bool SharesWith(std::size_t i, const TUnitList& other, std::size_t j) const {
        return FItems[i] == other.FItems[j];
    }

private:
    TItems FItems;
};
