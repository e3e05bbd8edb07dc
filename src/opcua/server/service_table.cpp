#include "opcua/server/services.h"

#include "opcua/server/status_codes.h"

namespace iec::ua {

namespace {

const ServiceEntry kServices[] = {
    {428, 431, GetEndpoints, SessionNeed::None},
    {422, 425, FindServers, SessionNeed::None},
    {461, 464, CreateSession, SessionNeed::None},
    {467, 470, ActivateSession, SessionNeed::Created},
    {473, 476, CloseSession, SessionNeed::Created},
    {527, 530, Browse, SessionNeed::Activated},
    {533, 536, BrowseNext, SessionNeed::Activated},
    {554, 557, TranslateBrowsePaths, SessionNeed::Activated},
    {560, 563, RegisterNodes, SessionNeed::Activated},
    {566, 569, UnregisterNodes, SessionNeed::Activated},
    {631, 634, Read, SessionNeed::Activated},
    {673, 676, Write, SessionNeed::Activated},
    {787, 790, CreateSubscription, SessionNeed::Activated},
    {793, 796, ModifySubscription, SessionNeed::Activated},
    {799, 802, SetPublishingMode, SessionNeed::Activated},
    {826, 829, Publish, SessionNeed::Activated},
    {832, 835, Republish, SessionNeed::Activated},
    {847, 850, DeleteSubscriptions, SessionNeed::Activated},
    {751, 754, CreateMonitoredItems, SessionNeed::Activated},
    {763, 766, ModifyMonitoredItems, SessionNeed::Activated},
    {769, 772, SetMonitoringMode, SessionNeed::Activated},
    {781, 784, DeleteMonitoredItems, SessionNeed::Activated},
};

}  // namespace

const ServiceEntry* FindService(uint32_t request_type) {
    for (const ServiceEntry& e : kServices) {
        if (e.request_type == request_type) return &e;
    }
    return nullptr;
}

StatusCode CheckOperationCount(BinaryReader& r, size_t count, size_t limit) {
    if (!r.ok()) return kBadDecodingError;
    if (count == 0) return kBadNothingToDo;
    if (count > limit) return kBadTooManyOperations;
    return kGood;
}

}  // namespace iec::ua
