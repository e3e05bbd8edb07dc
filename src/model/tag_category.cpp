#include "model/tag_category.h"

namespace iec {

TTagCategoryList::TTagCategoryList(int variant) {
    auto add = [this](int n, const char* descr, int len) {
        List.push_back(TTagCategory{static_cast<uint8_t>(n), len, descr, {}});
    };
    if (variant == 1) {
        add(0, "ТС", 1);
        add(1, "ТИТ", 4);
        add(2, "ТИИ", 4);
        add(3, "Телеуправление", 1);
    } else if (variant == 2) {
        add(10, "ТС (1 бит)", 1);
        add(11, "ТС (2 бит)", 1);
        add(12, "ТИТ нормализованное", 2);
        add(13, "ТИТ масштабированное", 2);
        add(14, "ТИТ с плав.точкой", 4);
        add(15, "ТИИ", 4);
        add(16, "Дискретная(-64..63)", 1);
        add(17, "8 ТС (байт)", 1);
        add(18, "32 ТС (4 байта)", 1);
        add(19, "16 ТС с изм.(4 байта)", 1);
    }
}

const TTagCategory* TTagCategoryList::GetPtc(int tcName) const {
    for (const TTagCategory& c : List) {
        if (c.tcName == tcName) return &c;
    }
    return nullptr;
}

const TTagCategoryList& TagCategoryList() {
    static const TTagCategoryList list(1);
    return list;
}

const TTagCategoryList& TagCategoryList2() {
    static const TTagCategoryList list(2);
    return list;
}

}  // namespace iec
