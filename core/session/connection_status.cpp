#include "session/connection_status.h"

namespace kestra {

ConnectionStatus ConnectionStatus::of(const ConnectionRules& rules,
                                      const ReportSupervisor& supervisor) {
    ConnectionStatus status;
    status.phase = rules.phase();
    status.reports_heard = supervisor.online();
    // The rules keep "told" until the next attempt; overdue is only what is still awaited.
    status.completion_overdue =
        status.phase == ConnectionPhase::Awaiting && rules.completion_overdue();
    return status;
}

}  // namespace kestra
