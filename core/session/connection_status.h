#pragma once

#include "session/connection_rules.h"
#include "session/report_supervisor.h"

namespace kestra {

// The one value a connection lamp needs: where the connection stands, whether the
// processor's reports are heard, and whether its completion is overdue. Views take it
// whole instead of piecing it together from the rules, the supervisor and the state.
struct ConnectionStatus {
    ConnectionPhase phase = ConnectionPhase::Offline;
    bool reports_heard = false;
    // Awaiting the completion for ConnectionRules::kCompletionLimit or longer.
    bool completion_overdue = false;

    static ConnectionStatus of(const ConnectionRules& rules, const ReportSupervisor& supervisor);

    bool connected() const { return phase == ConnectionPhase::Connected; }
    // The lamp is lit, and reads "ONLINE", only while connected with reports heard.
    bool online() const { return connected() && reports_heard; }
    const char* text() const {
        return online() ? ReportSupervisor::kOnline : ReportSupervisor::kOffline;
    }

    bool operator==(const ConnectionStatus&) const = default;
};

}  // namespace kestra
