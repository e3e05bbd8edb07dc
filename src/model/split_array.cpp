#include "model/split_array.h"

#include "model/text_routines.h"

namespace iec {

TSplitArray::TSplitArray(int size, char dev) : FSize(size < 0 ? 0 : size), Fdev(dev) {
    List.resize(static_cast<size_t>(FSize));
}

void TSplitArray::SplitString(std::string_view s) {
    for (auto& f : List) f.clear();
    nvar = 0;
    bool inside = false;
    size_t start = 0;
    for (size_t i = 0; i < s.size() && nvar < FSize; ++i) {
        const char c = s[i];
        if (c == '"') inside = !inside;
        if (inside) continue;
        const bool is_sep = c == Fdev;
        if (is_sep || i + 1 == s.size()) {
            const size_t end = is_sep ? i : i + 1;
            List[static_cast<size_t>(nvar)] = TrimText(s.substr(start, end - start));
            ++nvar;
            start = i + 1;
        }
    }
}

const std::string& TSplitArray::GetField(int ind) const {
    static const std::string kEmpty;
    if (ind < 0 || ind >= nvar) return kEmpty;
    return List[static_cast<size_t>(ind)];
}

}  // namespace iec
