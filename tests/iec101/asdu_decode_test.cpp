#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>

#include "hex.h"
#include "iec101/asdu_decode.h"
#include "model/tag_category.h"

namespace iec {
namespace {

using test::Hex;

const DateTime kNow = DateTime::Compose(DateParts{2024, 3, 5, 10, 20, 30, 400});

TIecDevice Station(uint32_t ioaSize = 2) {
    TIecDevice d;
    d.LinkAddress = 5;
    d.KPAddress2 = 5;
    d.sz_LinkAddress = 1;
    d.sz_PrichinaPeredachi = 1;
    d.sz_ASDUAddress = 1;
    d.sz_InfObjAddress = ioaSize;
    return d;
}

struct Fixture {
    TIecDevice dev = Station();
    TTagSignalList list;
    AsduCounters counters;
    int now_bias = kBiasUnknown;

    void AddSignals(int from, int to, int kp = 5, int common = 5) {
        for (int a = from; a <= to; ++a) {
            TTagSignal s;
            s.SetParam_2(kp, common, 0, TagCategoryList().GetPtc(0), "S" + std::to_string(kp) + "_" + std::to_string(a), a);
            list.AddTag(s);
        }
    }
    void Decode(int code, int vsq, const std::string& data, int cot = 3, int common = 5) {
        TIEC_ASDU a(dev.KPAddress2, common, code, vsq, cot, Hex(data));
        ReceiveRaspak(a, dev, 1, list, kNow, &counters, now_bias);
    }
    ArmValue At(int address) { return list.FindTag(5, 5, address)->GetArmValue(); }
    bool Touched(int address) { return list.FindTag(5, 5, address)->Value().ptid != nullptr; }
};

TEST(Asdu, QualifierGivesStructureAndCount) {
    const TIecDevice d = Station();
    const TIEC_ASDU a(d, 1, 0x83, 3, {}, 0);
    EXPECT_EQ(a.SQ, 1);
    EXPECT_EQ(a.nelem, 3);
    const TIEC_ASDU b(d, 1, 0x03, 3, {}, 0);
    EXPECT_EQ(b.SQ, 0);
    EXPECT_EQ(b.nelem, 3);
    const TIEC_ASDU c(d, 22, 0x01, 3, {}, 0);
    EXPECT_EQ(c.ptid, nullptr);
    EXPECT_EQ(a.KpAddress1, 5);
}

TEST(AsduDecode, SinglePointsInABlock) {
    Fixture f;
    f.AddSignals(99, 103);
    f.Decode(1, 0x83, "64 00  01 80 01");
    EXPECT_EQ(f.At(100).value, 1);
    EXPECT_EQ(f.At(101).quality, 0x80);
    EXPECT_EQ(f.At(102).value, 1);
    EXPECT_EQ(f.At(100).time.days(), 0.0);
    EXPECT_FALSE(f.Touched(99));
    EXPECT_FALSE(f.Touched(103));
    EXPECT_EQ(f.counters.decoded, 1u);
}

TEST(AsduDecode, BitStringsSpreadOverConsecutiveAddresses) {
    Fixture f;
    f.AddSignals(200, 264);
    // Element 0: bit 0 and bit 31 set; element 1: bit 1 set.
    f.Decode(7, 0x82, "C8 00  01 00 00 80 00  02 00 00 00 00");
    EXPECT_EQ(f.At(200).value, 1);
    EXPECT_EQ(f.At(201).value, 0);
    EXPECT_EQ(f.At(231).value, 1);
    EXPECT_EQ(f.At(232).value, 0);
    EXPECT_EQ(f.At(233).value, 1);
    EXPECT_TRUE(f.Touched(263));
    EXPECT_FALSE(f.Touched(264));

    Fixture p;
    p.AddSignals(10, 42);
    p.Decode(20, 0x82, "0A 00  00 00 00 00 00  01 80 00 00 00");
    EXPECT_TRUE(p.Touched(25));  // element 0 ends at 25
    EXPECT_EQ(p.At(26).value, 1);
    EXPECT_EQ(p.At(41).value, 1);
    EXPECT_EQ(p.At(27).value, 0);
    EXPECT_FALSE(p.Touched(42));
}

TEST(AsduDecode, LengthMustMatchTheElementsExactly) {
    Fixture f;
    f.dev = Station(3);
    f.AddSignals(1, 2);
    const std::string two = "01 00 00  00 00 20 41 00  02 00 00  00 00 A0 40 00";  // 10.0, 5.0
    f.Decode(13, 0x02, two + " 00");
    f.Decode(13, 0x02, two.substr(0, two.size() - 3));
    EXPECT_FALSE(f.Touched(1));
    EXPECT_FALSE(f.Touched(2));
    EXPECT_EQ(f.counters.badLength, 2u);
    f.Decode(13, 0x02, two);
    EXPECT_DOUBLE_EQ(f.At(1).real, 10.0);
    EXPECT_DOUBLE_EQ(f.At(2).real, 5.0);
}

TEST(AsduDecode, SevenOctetTimeTags) {
    Fixture f;
    f.AddSignals(1, 3);
    // 12.345 s, 10 min, 9 h, 5 March 2024 (day-of-week bits and summer bit set: ignored).
    f.Decode(30, 0x01, "01 00 01  39 30 0A 89 A5 03 18");
    const DateTime t = f.At(1).time;
    EXPECT_EQ(t.FormatLog(), "05-03-2024 09:10:12.345");
    // A tag that cannot be used stamps the value with its reception, never with an older event's time: year octet
    // 0 (2000) is out of range, 31 April 2023 is no date, and a tag the station marks invalid (IV) is not trusted.
    f.now_bias = -120;
    f.Decode(30, 0x01, "02 00 01  00 00 00 00 01 01 00");
    EXPECT_EQ(f.At(2).value, 1);
    EXPECT_EQ(f.At(2).time, kNow);
    EXPECT_EQ(f.At(2).timeBias, -120);
    f.Decode(30, 0x01, "03 00 01  00 00 00 00 1F 04 17");
    EXPECT_EQ(f.At(3).value, 1);
    EXPECT_EQ(f.At(3).time, kNow);
    f.Decode(30, 0x01, "01 00 00  39 30 8A 09 05 03 18");
    EXPECT_EQ(f.At(1).value, 0);
    EXPECT_EQ(f.At(1).time, kNow);
    f.Decode(2, 0x01, "01 00 01  39 30 8A");  // the same with a three-octet tag
    EXPECT_EQ(f.At(1).value, 1);
    EXPECT_EQ(f.counters.badElementTime, 4u);
}

// A zone with summer time: EET (UTC+2), EEST (UTC+3) from the last Sunday of March 03:00 to the last Sunday of
// October 04:00, when 03:00..04:00 happens twice.
class SummerTimeZone : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ")) old_ = tz;
        ::setenv("TZ", "EET-2EEST,M3.5.0/3,M10.5.0/4", 1);
        ::tzset();
        TimeZoneChanged();
    }
    void TearDown() override {
        if (old_) {
            ::setenv("TZ", old_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
        TimeZoneChanged();
    }
    std::optional<std::string> old_;
};

TEST_F(SummerTimeZone, TimeTagsMapToUtcByTheirSummerTimeBit) {
    Fixture f;
    f.AddSignals(1, 5);
    f.Decode(30, 0x01, "01 00 01  00 00 00 8C 0A 07 18");  // 10 July 2024 12:00, SU
    EXPECT_EQ(f.At(1).timeBias, -180);
    f.Decode(30, 0x01, "02 00 01  00 00 00 0C 0A 07 18");  // the same without SU: the summer time in force
    EXPECT_EQ(f.At(2).timeBias, -180);
    // 27 October 2024 03:30 happens twice: SU tells which.
    f.Decode(30, 0x01, "03 00 01  00 00 1E 83 1B 0A 18");
    EXPECT_EQ(f.At(3).time.FormatLog(), "27-10-2024 03:30:00.000");
    EXPECT_EQ(f.At(3).timeBias, -180);
    f.Decode(30, 0x01, "04 00 01  00 00 1E 03 1B 0A 18");
    EXPECT_EQ(f.At(4).timeBias, -120);
    f.Decode(30, 0x01, "05 00 01  00 00 00 8C 0A 01 18");  // SU in January: the zone has no summer time then
    EXPECT_EQ(f.At(5).timeBias, -120);
}

TEST_F(SummerTimeZone, BiasOfLocalTimesAroundTheTransitions) {
    const auto at = [](int month, int day, int hour, int minute) {
        return DateTime::Compose({2024, month, day, hour, minute, 0, 0});
    };
    EXPECT_EQ(LocalToUtcBiasMinutes(at(1, 15, 12, 0)), -120);
    EXPECT_EQ(LocalToUtcBiasMinutes(at(7, 15, 12, 0)), -180);
    EXPECT_EQ(LocalToUtcBiasMinutes(at(3, 31, 2, 59)), -120);  // the last minute before the clocks go forward
    EXPECT_EQ(LocalToUtcBiasMinutes(at(3, 31, 4, 0)), -180);
    EXPECT_EQ(LocalToUtcBiasMinutes(at(10, 27, 3, 30), 1), -180);  // the repeated hour, first time
    EXPECT_EQ(LocalToUtcBiasMinutes(at(10, 27, 3, 30), 0), -120);  // and second time
    EXPECT_EQ(LocalToUtcBiasMinutes(at(10, 27, 4, 0)), -120);
    // Answers are kept per minute: asking again in the same minute gives the same, asking another reading not.
    EXPECT_EQ(LocalToUtcBiasMinutes(at(10, 27, 3, 30), 1), -180);
}

TEST(AsduDecode, ThreeOctetTagStampsTheReception) {
    Fixture f;
    f.AddSignals(7, 7);
    f.Decode(2, 0x01, "07 00 01  FF FF FF");
    EXPECT_EQ(f.At(7).time, DateTime::Compose(kNow.Decode()));
}

TEST(AsduDecode, BlockTimeThatIsNoDateStampsTheReception) {
    Fixture f;
    f.AddSignals(1, 2);
    f.Decode(30, 0x82, "01 00  01 01  00 00 00 00 1E 02 18");  // 30 February 2024
    EXPECT_EQ(f.At(1).value, 1);
    EXPECT_EQ(f.At(1).time, kNow);
    EXPECT_EQ(f.counters.badBlockTime, 1u);
    f.Decode(30, 0x82, "01 00  01 01  00 00 00 00 1D 02 18");  // 29 February 2024
    EXPECT_EQ(f.At(2).time.FormatLog(), "29-02-2024 00:00:00.000");
}

TEST(AsduDecode, TelecontrolConfirmations) {
    for (int code : {45, 46}) {
        Fixture f;
        f.Decode(code, 0x01, "01 40 81", 7);
        EXPECT_TRUE(f.dev.select_get);
        EXPECT_TRUE(f.dev.exec_get);
        EXPECT_FALSE(f.dev.error_tu);
        Fixture n;
        n.Decode(code, 0x01, "01 40 81", 71);
        EXPECT_TRUE(n.dev.error_tu);
        EXPECT_FALSE(n.dev.select_get);
        Fixture t;
        t.dev.error_tu = true;
        t.Decode(code, 0x01, "01 40 81", 10);
        EXPECT_TRUE(t.dev.error_tu);
        EXPECT_FALSE(t.dev.select_get);
        EXPECT_FALSE(t.dev.exec_get);
    }
}

TEST(AsduDecode, TypesWithoutRuleAndUnknownTypes) {
    Fixture f;
    f.AddSignals(1, 1);
    f.Decode(144, 0x01, "01 00  10 00 00  00 00 00 00 01 01 18");
    EXPECT_FALSE(f.Touched(1));
    EXPECT_EQ(f.counters.badLength, 0u);
    EXPECT_EQ(f.counters.notDecodedType, 1u);
    f.Decode(22, 0x01, "01 00 01");
    EXPECT_EQ(f.counters.unknownType, 1u);
    EXPECT_FALSE(f.Touched(1));
}

TEST(AsduDecode, LooksSignalsUpByTheCarriedCommonAddressThenByTheLinkAddress) {
    Fixture f;
    f.dev.sz_ASDUAddress = 2;
    f.AddSignals(1, 1);
    f.AddSignals(1, 1, 5, 261);
    // Object 1 exists under common address 5 and 261: the ASDU's own common address decides.
    f.Decode(1, 0x01, "01 00 01", 3, 261);
    EXPECT_FALSE(f.Touched(1));
    EXPECT_EQ(f.list.FindTag(5, 261, 1)->GetArmValue().value, 1);
    // A configuration that names the link address for a station with another common address keeps working.
    f.AddSignals(3, 3);
    f.Decode(1, 0x01, "03 00 01", 3, 300);
    EXPECT_EQ(f.At(3).value, 1);
    // Signals of another station on the same thread stay untouched.
    f.AddSignals(2, 2, 6, 6);
    f.Decode(1, 0x01, "02 00 01", 3, 6);
    EXPECT_EQ(f.list.FindTag(6, 6, 2)->Value().ptid, nullptr);
    EXPECT_EQ(f.counters.noSignal, 1u);
}

TEST(AsduDecode, LenDataLargerThanTheDataIsNeverRead) {
    Fixture f;
    f.AddSignals(1, 1);
    TIEC_ASDU a(5, 5, 13, 0x01, 3, Hex("01 00 00 00 20 41 00"));
    a.lenData = 200;  // a caller's mistake must not make the decoder read past Data1
    ReceiveRaspak(a, f.dev, 1, f.list, kNow, &f.counters);
    EXPECT_DOUBLE_EQ(f.At(1).real, 10.0);
    a.Data1.resize(3);
    f.Decode(13, 0x01, "01 00 00");
    EXPECT_EQ(f.counters.badLength, 1u);
}

TEST(ReadObjAddress, SizesAndBounds) {
    const auto data = Hex("01 02 03 04");
    TIecDevice d = Station(3);
    ByteReader r(data);
    EXPECT_EQ(ReadObjAddress(r, d), 0x030201);
    EXPECT_EQ(r.pos(), 3u);
    EXPECT_EQ(ReadObjAddress(r, d), 0);
    EXPECT_TRUE(r.failed());
    d.sz_InfObjAddress = 4;
    ByteReader r2(data);
    EXPECT_EQ(ReadObjAddress(r2, d), 0);
    EXPECT_EQ(r2.pos(), 0u);
    d.sz_InfObjAddress = 1;
    EXPECT_EQ(ReadObjAddress(r2, d), 1);
}

TEST(DecodeTimeTag, RangesCalendarAndBounds) {
    std::string msg;
    DateTime out;
    const auto tag = Hex("E7 03 3B 17 1F 0C 63");  // 31-12-2099 23:59:00.999
    EXPECT_EQ(DecodeTimeTag(tag, 0, 7, kNow, out, msg), TimeTagResult::Ok);
    EXPECT_EQ(out.FormatLog(), "31-12-2099 23:59:00.999");
    EXPECT_TRUE(msg.empty());

    const char* outOfRange[] = {"60 EA 00 00 01 01 18",   // 60 s
                                "00 00 00 18 01 01 18",   // hour 24
                                "00 00 00 00 00 01 18",   // day 0
                                "00 00 00 00 01 0D 18",   // month 13
                                "00 00 00 00 01 01 00"};  // year 2000
    for (const char* t : outOfRange) {
        DateTime keep(7.0);
        EXPECT_EQ(DecodeTimeTag(Hex(t), 0, 7, kNow, keep, msg), TimeTagResult::OutOfRange) << t;
        EXPECT_EQ(keep.days(), 7.0);
    }
    EXPECT_TRUE(msg.empty());
    DateTime keep(7.0);
    EXPECT_EQ(DecodeTimeTag(Hex("00 00 00 00 1D 02 17"), 0, 7, kNow, keep, msg), TimeTagResult::NotCalendar);
    EXPECT_EQ(msg, " Плохая метка времени");
    EXPECT_EQ(keep.days(), 7.0);

    EXPECT_EQ(DecodeTimeTag(tag, 1, 7, kNow, keep, msg), TimeTagResult::Truncated);
    EXPECT_EQ(DecodeTimeTag(tag, 100, 3, kNow, keep, msg), TimeTagResult::Truncated);
    EXPECT_EQ(DecodeTimeTag(tag, 5, 3, kNow, keep, msg), TimeTagResult::Truncated);
    EXPECT_EQ(DecodeTimeTag(tag, 4, 3, kNow, keep, msg), TimeTagResult::Ok);
    EXPECT_EQ(keep, DateTime::Compose(kNow.Decode()));
}

TEST(AsduMailbox, OneOfEachKindInTheOrderPut) {
    TASDUBuf box;
    const TIecDevice d = Station();
    const auto make = [&d](int code, int object = 0) {
        return std::make_shared<TIEC_ASDU>(d, code, 1, 6, std::span<const uint8_t>(), object);
    };
    AsduPtr out;
    EXPECT_FALSE(box.Get(out));
    EXPECT_FALSE(box.Put(nullptr));
    // An interrogation and a command queued in one exchange both go out, in that order.
    auto gi = make(100), select = make(45), execute = make(46), gi2 = make(100);
    EXPECT_TRUE(box.Put(gi));
    EXPECT_TRUE(box.Put(select));
    EXPECT_TRUE(box.Put(execute));  // a station has one command: the newer replaces the waiting one in its place
    EXPECT_TRUE(box.Put(gi2));
    EXPECT_TRUE(box.Put(make(102, 7)));
    EXPECT_TRUE(box.Put(make(102, 8)));  // reads of other objects are other requests
    auto read7 = make(102, 7);
    EXPECT_TRUE(box.Put(read7));
    EXPECT_EQ(box.Size(), 4u);
    ASSERT_TRUE(box.Get(out));
    EXPECT_EQ(out, gi2);
    ASSERT_TRUE(box.Get(out));
    EXPECT_EQ(out, execute);
    EXPECT_EQ(box.asdu2, execute);
    ASSERT_TRUE(box.Get(out));
    EXPECT_EQ(out, read7);
    ASSERT_TRUE(box.Get(out));
    EXPECT_EQ(out->BlockAddress, 8);
    EXPECT_FALSE(box.Get(out));
    EXPECT_TRUE(box.Empty());
    // Bounded: beyond its capacity of distinct requests nothing more is taken.
    for (int i = 0; i < static_cast<int>(TASDUBuf::kCapacity); ++i) EXPECT_TRUE(box.Put(make(102, i)));
    EXPECT_FALSE(box.Put(make(102, 1000)));
    EXPECT_EQ(box.Size(), TASDUBuf::kCapacity);
}

TEST(AsduToString, TextsAndUnknownCauses) {
    const TIecDevice d = Station();
    EXPECT_EQ(ToString(TIEC_ASDU(d, 100, 0x01, 7, {}, 0)),
              "TypeIdent=(100)(C_IC_NA) Команда опроса, SQ=0 nelem=1 COT=7(подтверждение активации)");
    EXPECT_EQ(ToString(TIEC_ASDU(d, 1, 0x85, 71, {}, 0)),
              "TypeIdent=(1)(M_SP_NA) Одноэлементная информация ТС, SQ=1 nelem=5 COT=71(" + std::string(11, '?') + ")");
    EXPECT_EQ(ToString(TIEC_ASDU(d, 22, 0x01, 3, {}, 0)), "");
}

}  // namespace
}  // namespace iec
