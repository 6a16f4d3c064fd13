#include "core/annotation/log_target.h"

#include "core/document/session_state.h"

namespace vox {

LogTarget* open_log(const SessionState* session) {
    if (!session || !session->log || !session->log->is_open()) return nullptr;
    return session->log;
}

bool add_to_log(const SessionState* session, const LogEntry& entry) {
    LogTarget* log = open_log(session);
    return log && log->add(entry);
}

}  // namespace vox
