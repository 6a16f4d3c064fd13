#pragma once
// Where the analysis windows enter measurements: the program's measurement
// log, open or not. The windows ask it instead of knowing the log window.

#include "core/annotation/measurement_log.h"

namespace vox {

class LogTarget {
public:
    virtual ~LogTarget() = default;
    // True while a log window is open to take entries.
    virtual bool is_open() const = 0;
    // Adds one entry to the open log; false when none is open or the log
    // refused it (the entry loop that fills a log stops there).
    virtual bool add(const LogEntry& entry) = 0;
};

}  // namespace vox
