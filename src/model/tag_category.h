// Signal categories: what a value is and how many raw octets of it a signal keeps. Variant 1 holds the configured
// kinds, variant 2 the detailed kinds chosen by the received type identification. Both lists are constant, so the
// process-wide instances are shared read-only by every thread and every runtime.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace iec {

struct TTagCategory {
    uint8_t tcName = 0;  // category number
    int valuelen = 0;    // raw value octets kept
    std::string FDescr;  // display text
    std::string Text;    // not used
};

class TTagCategoryList {
public:
    // variant 1: categories 0..3; variant 2: categories 10..19. Any other variant gives an empty list.
    explicit TTagCategoryList(int variant);

    // The first category with this number, or nullptr.
    const TTagCategory* GetPtc(int tcName) const;
    int Count() const { return static_cast<int>(List.size()); }

private:
    std::vector<TTagCategory> List;
};

const TTagCategoryList& TagCategoryList();   // variant 1
const TTagCategoryList& TagCategoryList2();  // variant 2

}  // namespace iec
