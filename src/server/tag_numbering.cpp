#include "server/tag_numbering.h"

namespace iec {

int TagSlotsNeeded(const StationTable& table) {
    int n = 0;
    for (int k = 1; k <= table.Kol_KP; ++k) {
        const T_KP& kp = *table.Station(k);
        n += 2 + kp.Kol_TS + kp.Kol_TI;
    }
    return n + 2;  // Kol_OPC_Tags = n + 1, and the lifebit one after it
}

void Number_Tags(Runtime& rt) {
    StationTable& st = rt.stations;
    rt.tags.Write([&](std::vector<TIndent>& tags, std::vector<double>&, int& kol) {
        // Slots of a previous start that the new numbering does not reach must not look in use.
        for (size_t i = 1; i < tags.size(); ++i) {
            tags[i].in_work = false;
            tags[i].Name.clear();
            tags[i].Nomer_Th = 0;
        }
        kol = 0;
        int n = 0;
        int m = 0;
        auto slot = [&](int i) -> TIndent* { return i >= 1 && i <= kMaxTags ? &tags[static_cast<size_t>(i)] : nullptr; };
        for (int k = 1; k <= st.Kol_KP; ++k) {
            T_KP& kp = *st.Station(k);
            ++n;
            kp.Nom_OPC_1st = n;
            kp.Nom_OPC_TS = n + 1;
            for (int j = 1; j <= kp.Kol_TS && static_cast<size_t>(j) < kp.TS_arr.size(); ++j) {
                ++n;
                const T_TS& ts = kp.TS_arr[static_cast<size_t>(j)];
                if (TIndent* t = slot(n)) {
                    t->Nomer_Tag = m;
                    t->Asdu_Adr_TU = ts.AdrASDU_TU;
                    t->Obj_addr_TU = ts.AdrIOA_TU;
                    t->Type_tu_1 = ts.Type_TU;
                    t->Nomer_Th = kp.Nomer_Thread_;
                    t->NomerKP_in_Thread = kp.NomerPC_in_Thread;
                    t->vtDataType = 11;
                    t->in_work = true;
                    t->Name = kp.NameKP + "." + ts.NameTS;
                }
                ++m;
            }
            kp.Nom_OPC_TI = n + 1;
            for (int j = 1; j <= kp.Kol_TI && static_cast<size_t>(j) < kp.TI_arr.size(); ++j) {
                ++n;
                if (TIndent* t = slot(n)) {
                    t->Nomer_Tag = m;
                    t->vtDataType = 5;
                    t->in_work = true;
                    t->Name = kp.NameKP + "." + kp.TI_arr[static_cast<size_t>(j)].NameTI;
                }
                ++m;
            }
            ++n;
            kp.Nom_OPC_Alarm = n;
            if (TIndent* t = slot(n)) {
                t->Name = kp.NameKP + ".Connected";
                t->vtDataType = 11;
                t->in_work = true;
            }
            kol = n + 1;
        }
    });
}

}  // namespace iec
