// The protocol vocabulary: type identifications with the sizes and meanings of their elements, and the texts of the
// causes of transmission. The table is built once and is read-only afterwards, so any thread may read it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace iec {

enum NameTypeIdent : uint8_t {
    M_EMPTY = 0, M_SP_NA, M_SP_TA, M_DP_NA, M_DP_TA, M_ST_NA, M_ST_TA, M_BO_NA, M_BO_TA, M_ME_NA, M_ME_TA,
    M_ME_NB, M_ME_TB, M_ME_NC, M_ME_TC, M_IT_NA, M_IT_TA, M_EP_TA, M_EP_TB, M_EP_TC, M_PS_NA, M_ME_ND,
    M_SP_TB, M_DP_TB, M_ST_TB, M_BO_TB, M_ME_TD, M_ME_TE, M_ME_TF, M_IT_TB, M_EP_TD, M_EP_TE, M_EP_TF,
    C_SC_NA, C_DC_NA, C_RC_NA, C_SE_NA, C_SE_NB, C_SE_NC, C_BO_NA, M_EI_NA, C_IC_NA, C_CI_NA, C_RD_NA,
    C_CS_NA, C_TS_NA, C_RP_NA, C_CD_NA, P_ME_NA, P_ME_NB, P_ME_NC, P_AC_NA, F_FR_NA, F_SR_NA, F_SC_NA,
    F_LS_NA, F_AF_NA, F_SG_NA, F_DR_NA, M_BO_TC, M_ME_NE, M_ME_TI, M_ME_TJ, M_CB_TA, M_CB_TB, M_CB_TC
};

// Value format of an information element.
enum TDataType : uint8_t {
    U0 = 0, TS1, TS2, TS8, TS32, TS16IZM, BS8, U1, U2, I32, U5, U6, U7, I16, F16, F4, RZ3, CSC, CDC, CRC, CI2
};

// Kind of quality descriptor.
enum TQualityType : uint8_t { Q0 = 0, QTS1, QTS2, Q1, Q1COM, Q8TII, Q8I, Q8R, Q8F, Q1S };

struct TTypeIdent {
    int Code = 0;     // as carried in the ASDU
    int objlen = 0;   // octets of one element without address and time tag
    int timelen = 0;  // octets of the time tag after each element (or after an SQ = 1 block): 0, 3 or 7
    TDataType dtype = U0;
    TQualityType qtype = Q0;
    NameTypeIdent Name = M_EMPTY;
    std::string Text;  // begins with the mnemonic in parentheses
};

constexpr int MAX_IDENTLEN = 66;

class TTypeIdentList {
public:
    // The full table of the type identifications this system knows (59 rows).
    TTypeIdentList();

    // Appends unless an entry has the same code or mnemonic or the table is full; returns whether it was added.
    bool AddTypeIdent(const TTypeIdent& d);

    // The entry with this wire code, or nullptr for a type the table does not hold.
    const TTypeIdent* FindTypeIdent(int code) const;
    // The entry with this mnemonic, or nullptr.
    const TTypeIdent* FindTypeIdent(NameTypeIdent name) const;

    int Count() const { return static_cast<int>(List.size()); }
    const TTypeIdent& operator[](int i) const { return List.at(static_cast<size_t>(i)); }

    int current = 0;

private:
    std::vector<TTypeIdent> List;
    // Wire code -> index + 1 (0 = none): decoding looks a type up for every ASDU.
    std::array<uint8_t, 256> byCode_{};
};

// The process-wide table, built on first use (thread-safe) and never changed.
const TTypeIdentList& TypeIdentList();

// Texts of the causes of transmission, index = cause (0..49).
extern const std::array<std::string, 50> COT_Text;

}  // namespace iec
