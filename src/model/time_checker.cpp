#include "model/time_checker.h"

namespace iec {

TTimeChecker::TTimeChecker(const Clock& clock, int start) : clock_(clock) {
    if (start == 0) Stop();
    else if (start == 1) Start();
}

void TTimeChecker::Start(DateTime x) {
    if (x.days() == 0.0) x = clock_.Now();
    tmstamp0 = x.ToTimeStamp();
    prStart = true;
}

int64_t TTimeChecker::TimeFromStart(DateTime& now) const {
    now = clock_.Now();
    const TimeStamp ts = now.ToTimeStamp();
    int64_t result = static_cast<int64_t>(ts.time) - tmstamp0.time;
    if (ts.date > tmstamp0.date) result += 86400000;
    return result;
}

bool TTimeCheckPause::CheckExpire(int64_t pause, int prRestart) {
    DateTime now;
    const bool expired = pause < TimeFromStart(now);
    if (expired) {
        if (prRestart == 0) Stop();
        else if (prRestart == 1) Start(now);
    }
    return expired;
}

}  // namespace iec
