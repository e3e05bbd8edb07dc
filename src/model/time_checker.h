// Elapsed-time checkers of the polling procedure, measured on the injected clock in milliseconds of the day.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/date_time.h"

namespace iec {

class TTimeChecker {
public:
    // prStart 1 starts the checker now, 0 stops it; other values leave it unstarted.
    TTimeChecker(const Clock& clock, int prStart);

    // x = 0 (the zero DateTime) means now.
    void Start(DateTime x = DateTime());
    void Stop() { prStart = false; }

    // Milliseconds since the start: the milliseconds of the day of now minus those of the start, plus one day when
    // now lies on a later day. One midnight is handled; across two the result is a day short, as it has always
    // been (the checkers measure seconds and minutes).
    int64_t TimeFromStart(DateTime& now) const;
    int64_t TimeFromStart() const {
        DateTime now;
        return TimeFromStart(now);
    }

    bool prStart = false;
    TimeStamp tmstamp0;

protected:
    const Clock& clock_;
};

class TTimeCheckPause : public TTimeChecker {
public:
    using TTimeChecker::TTimeChecker;

    // True when more than `pause` ms have passed since the start. When expired, prRestart 0 stops the checker and
    // 1 restarts it at the time just measured. A stopped checker still measures from its last start.
    bool CheckExpire(int64_t pause, int prRestart);
};

}  // namespace iec
