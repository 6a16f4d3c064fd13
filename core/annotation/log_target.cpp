#include "core/annotation/log_target.h"

#include "core/document/session_state.h"

namespace vox {

// Declared with the session (core/document/session_state.h) and defined here,
// beside the log they reach, so that the document's folder needs nothing of
// the log's.

LogTarget* open_log(const SessionState* session) {
    if (!session || !session->log || !session->log->is_open()) return nullptr;
    return session->log;
}

bool add_to_log(const SessionState* session, const LogEntry& entry) {
    LogTarget* log = open_log(session);
    return log && log->add(entry);
}

}  // namespace vox
