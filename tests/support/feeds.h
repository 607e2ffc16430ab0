// The ways a split run reads its source (tav::SplitRun::Reading): the tests
// and fuzz targets run each case on each and hold all to the same pieces and
// messages.
#pragma once

#include "tav/split.h"

namespace tavtest {

inline constexpr tav::SplitRun::Reading kFeeds[] = {tav::SplitRun::Reading::InRun, tav::SplitRun::Reading::Ahead,
                                                     tav::SplitRun::Reading::AheadThenInRun};

inline const char* feed_name(tav::SplitRun::Reading how) {
    switch (how) {
        case tav::SplitRun::Reading::Ahead: return "read ahead";
        case tav::SplitRun::Reading::AheadThenInRun: return "read ahead, then in the run";
        default: return "read in the run";
    }
}

}  // namespace tavtest
