#pragma once
// Where the analysis windows enter measurements: the program's measurement
// log, open or not. The windows ask it instead of knowing the log window.

#include "core/annotation/measurement_log.h"

namespace vox {

struct SessionState;

class LogTarget {
public:
    virtual ~LogTarget() = default;
    // True while a log window is open to take entries.
    virtual bool is_open() const = 0;
    // Adds one entry to the open log; false when none is open or the log
    // refused it (the entry loop that fills a log stops there).
    virtual bool add(const LogEntry& entry) = 0;
};

// The session's measurement log when a log window is open, else null (also
// for a document without a session).
LogTarget* open_log(const SessionState* session);
// Hands an entry to the session's open log; false when none is open or the
// log refused it.
bool add_to_log(const SessionState* session, const LogEntry& entry);

}  // namespace vox
