#include "sim101/secondary_link.h"

namespace iec::sim {

SecondaryLink::SecondaryLink(uint32_t address, int link_octets, LinkOptions options)
    : address_(address), link_octets_(link_octets), options_(options) {}

std::vector<uint8_t> SecondaryLink::Fixed(uint8_t function, const Application& app) const {
    const uint8_t control = static_cast<uint8_t>(function | (app.HasClass1() ? kAcd : 0));
    return BuildFixedFrame(control, address_, link_octets_);
}

std::vector<uint8_t> SecondaryLink::AckOrE5(uint8_t function, const Application& app) const {
    if (options_.single_char && !app.HasClass1()) return {kSingleCharAck};
    return Fixed(function, app);
}

std::vector<uint8_t> SecondaryLink::Handle(const PrimaryFrame& f, Application& app, const SimTime& now) {
    if (!f.Fcv()) return Answer(f, app, now);
    // A frame whose FCB equals that of the last accepted one is the primary repeating itself because our
    // answer was lost: send that answer again, octet for octet, and do not act on the frame a second time.
    if (last_fcb_ && *last_fcb_ == f.Fcb() && !last_response_.empty()) {
        ++counters_.repetitions;
        return last_response_;
    }
    last_fcb_ = f.Fcb();
    last_response_ = Answer(f, app, now);
    return last_response_;
}

std::vector<uint8_t> SecondaryLink::Answer(const PrimaryFrame& f, Application& app, const SimTime& now) {
    switch (f.Function()) {
        case primary::kResetRemoteLink:
            ++counters_.resets;
            // After a reset the next FCV frame must carry FCB = 1, so the last one counts as 0.
            last_fcb_ = false;
            last_response_.clear();
            app.OnResetRemoteLink(now);
            return AckOrE5(secondary::kAck, app);
        case primary::kResetUserProcess:
            app.OnResetUserProcess(now);
            return AckOrE5(secondary::kAck, app);
        case primary::kTestLink:
            return AckOrE5(secondary::kAck, app);
        case primary::kUserDataConfirmed:
            if (!f.variable || !app.CanAcceptUserData()) {
                ++counters_.nacks;
                return Fixed(secondary::kNack, app);
            }
            app.OnUserData(f.user_data, now);
            return AckOrE5(secondary::kAck, app);
        case primary::kUserDataNoReply:
            if (f.variable) app.OnUserData(f.user_data, now);
            return {};
        case primary::kAccessDemand:
        case primary::kRequestStatus:
            return Fixed(secondary::kStatus, app);
        case primary::kRequestClass1:
        case primary::kRequestClass2: {
            auto asdu = f.Function() == primary::kRequestClass1 ? app.TakeClass1() : app.TakeClass2();
            // A station without class 2 data may answer a class 2 request with no data and ACD set; the master
            // then asks for class 1.
            if (!asdu) return AckOrE5(secondary::kNoData, app);
            const uint8_t control = static_cast<uint8_t>(secondary::kUserData | (app.HasClass1() ? kAcd : 0));
            return BuildVariableFrame(control, address_, link_octets_, *asdu);
        }
        default:
            ++counters_.not_implemented;
            return Fixed(secondary::kNotImplemented, app);
    }
}

}  // namespace iec::sim
