#include <gtest/gtest.h>

#include "iec101/iec_device.h"
#include "iec101/type_ident.h"

namespace iec {
namespace {

TEST(TypeIdentList, HoldsTheFiftyNineRowsWithTheirSizes) {
    const TTypeIdentList& t = TypeIdentList();
    EXPECT_EQ(t.Count(), 59);
    struct Expect { int code; NameTypeIdent name; int objlen, timelen; TDataType d; TQualityType q; };
    const Expect rows[] = {
        {0, M_EMPTY, 1, 0, TS1, Q0},      {1, M_SP_NA, 1, 0, TS1, QTS1},   {4, M_DP_TA, 1, 3, TS2, QTS2},
        {7, M_BO_NA, 5, 0, TS32, Q1COM},  {13, M_ME_NC, 5, 0, F4, Q8R},    {14, M_ME_TC, 5, 3, F4, Q1},
        {21, M_ME_ND, 2, 0, I16, Q0},     {30, M_SP_TB, 1, 7, TS1, QTS1},  {36, M_ME_TF, 5, 7, F4, Q8R},
        {37, M_IT_TB, 5, 7, I32, Q8TII},  {45, C_SC_NA, 1, 0, CSC, Q0},    {46, C_DC_NA, 1, 0, CDC, Q0},
        {51, C_BO_NA, 4, 0, TS32, Q0},    {100, C_IC_NA, 1, 0, U1, Q0},    {102, C_RD_NA, 0, 0, U0, Q0},
        {136, M_BO_TC, 1, 7, TS8, Q0},    {139, M_ME_NE, 1, 0, U1, Q0},    {144, M_ME_TI, 3, 7, F16, Q1},
        {152, M_CB_TC, 4, 7, F4, Q0},
    };
    for (const Expect& e : rows) {
        SCOPED_TRACE(e.code);
        const TTypeIdent* d = t.FindTypeIdent(e.code);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->Name, e.name);
        EXPECT_EQ(d->objlen, e.objlen);
        EXPECT_EQ(d->timelen, e.timelen);
        EXPECT_EQ(d->dtype, e.d);
        EXPECT_EQ(d->qtype, e.q);
        EXPECT_EQ(t.FindTypeIdent(e.name), d);
    }
    EXPECT_EQ(t.FindTypeIdent(1)->Text, "(M_SP_NA) Одноэлементная информация ТС");
    EXPECT_EQ(t.FindTypeIdent(106)->Text, "(C_CD_NA) Команда пердачи задержки");
}

TEST(TypeIdentList, EveryTextBeginsWithItsMnemonicAndCodesAreUnique) {
    const TTypeIdentList& t = TypeIdentList();
    for (int i = 0; i < t.Count(); ++i) {
        EXPECT_EQ(t[i].Text.front(), '(');
        EXPECT_EQ(t.FindTypeIdent(t[i].Code), &t[i]);
    }
}

TEST(TypeIdentList, UnknownCodesAndFileTransferMnemonicsHaveNoRow) {
    const TTypeIdentList& t = TypeIdentList();
    EXPECT_NE(t.FindTypeIdent(0), nullptr);
    for (int code : {22, 29, 41, 52, 99, 107, 114, 135, 153, 255, -1, 256, 1000}) {
        EXPECT_EQ(t.FindTypeIdent(code), nullptr) << code;
    }
    EXPECT_EQ(t.FindTypeIdent(F_FR_NA), nullptr);
    EXPECT_EQ(t.FindTypeIdent(F_DR_NA), nullptr);
}

TEST(TypeIdentList, RefusesDuplicatesAndTheSixtySeventhRow) {
    TTypeIdentList t;
    EXPECT_FALSE(t.AddTypeIdent(TTypeIdent{1, 9, 0, U1, Q0, F_FR_NA, "(dup code)"}));
    EXPECT_FALSE(t.AddTypeIdent(TTypeIdent{200, 1, 0, U1, Q0, M_SP_NA, "(dup name)"}));
    EXPECT_EQ(t.Count(), 59);
    EXPECT_EQ(t.FindTypeIdent(200), nullptr);
    EXPECT_EQ(t.FindTypeIdent(1)->objlen, 1);
    // The file-transfer mnemonics are the only ones without a row: seven fresh rows fill the table to 66.
    const NameTypeIdent fresh[] = {F_FR_NA, F_SR_NA, F_SC_NA, F_LS_NA, F_AF_NA, F_SG_NA, F_DR_NA};
    for (int i = 0; i < 7; ++i) EXPECT_TRUE(t.AddTypeIdent(TTypeIdent{200 + i, 1, 0, U1, Q0, fresh[i], "(f)"}));
    EXPECT_EQ(t.Count(), MAX_IDENTLEN);
    // Full: refused although neither its code nor its (out-of-enumeration) name repeats.
    EXPECT_FALSE(t.AddTypeIdent(TTypeIdent{210, 1, 0, U1, Q0, static_cast<NameTypeIdent>(66), "(x)"}));
    EXPECT_EQ(t.Count(), MAX_IDENTLEN);
    EXPECT_EQ(t.FindTypeIdent(210), nullptr);
}

TEST(CotText, FixedTexts) {
    EXPECT_EQ(COT_Text[0], "не используется");
    EXPECT_EQ(COT_Text[7], "подтверждение активации");
    EXPECT_EQ(COT_Text[14], "резерв");
    EXPECT_EQ(COT_Text[19], "резерв");
    EXPECT_EQ(COT_Text[20], "общий опрос");
    EXPECT_EQ(COT_Text[21], "опрос группы 1");
    EXPECT_EQ(COT_Text[36], "опрос группы 16");
    EXPECT_EQ(COT_Text[37], "общий опрос счетчиков");
    EXPECT_EQ(COT_Text[41], "запрос счетчиков группы 4");
    EXPECT_EQ(COT_Text[43], "резерв");
    EXPECT_EQ(COT_Text[47], "неизвестный адрес объекта информации");
    EXPECT_EQ(COT_Text[48], "");
    EXPECT_EQ(COT_Text[49], "");
}

TEST(IecDevice, SetParamCopiesParametersButNotState) {
    TIecDevice src;
    src.Name = "КП-1";
    src.LinkAddress = 5;
    src.KPAddress2 = 77;
    src.Retries = 3;
    src.sz_InfObjAddress = 3;
    src.sz_PrichinaPeredachi = 2;
    src.tu_bit_QU = 2;
    src.First_opros = true;
    src.Interval_opros_address_102 = 4;
    src.flASDU2 = fl_LinkOk;
    src.select_get = true;
    src.error_tu = true;
    src.Adddres_obj_102 = 99;
    const TIecDevice d = TIecDevice::Create(src);
    EXPECT_EQ(d.Name, "КП-1");
    EXPECT_EQ(d.LinkAddress, 5);
    EXPECT_EQ(d.KPAddress2, 5);
    EXPECT_EQ(d.Retries, 3);
    EXPECT_EQ(d.sz_InfObjAddress, 3u);
    EXPECT_EQ(d.sz_PrichinaPeredachi, 2);
    EXPECT_EQ(d.tu_bit_QU, 2);
    EXPECT_TRUE(d.First_opros);
    EXPECT_EQ(d.Interval_opros_address_102, 4);
    EXPECT_EQ(d.flASDU2, 0u);
    EXPECT_FALSE(d.select_get);
    EXPECT_FALSE(d.error_tu);
    EXPECT_EQ(d.Adddres_obj_102, 0);
}

TEST(IecDevice, DefaultsAndListBounds) {
    TIecDevice d;
    d.Retries = 9;
    d.SetParamDefault();
    EXPECT_EQ(d.LinkAddress, 100);
    EXPECT_EQ(d.sz_InfObjAddress, 2u);
    EXPECT_EQ(d.sz_LinkAddress, 1);
    EXPECT_EQ(d.Retries, 0);
    EXPECT_TRUE(d.Name.empty());

    TIecDeviceList list;
    EXPECT_EQ(list.GetDev(0), nullptr);
    list.AddDev(d);
    d.LinkAddress = 7;
    list.AddDev(d);
    d.LinkAddress = 8;  // the list holds copies
    EXPECT_EQ(list.CountDevice(), 2);
    EXPECT_EQ(list.GetDev(1)->LinkAddress, 7);
    EXPECT_EQ(list.GetDev(2), nullptr);
    EXPECT_EQ(list.GetDev(-1), nullptr);
    list.Clear();
    EXPECT_EQ(list.CountDevice(), 0);
}

}  // namespace
}  // namespace iec
