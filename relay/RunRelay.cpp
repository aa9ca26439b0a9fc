#include "relay/RunRelay.h"

#include "platform/AlertSink.h"
#include "platform/Logging.h"
#include "platform/SambaWorkgroup.h"
#include "platform/TerminationSignals.h"
#include "relay/SiteRelay.h"

#include <QCoreApplication>
#include <QLoggingCategory>

namespace {

constexpr int kExitConfig = 78; // EX_CONFIG
constexpr int kExitUnavailable = 69; // EX_UNAVAILABLE

// Nobody looks at a relay's screen: what would be a message box goes to the log.
class LoggedAlerts : public AlertSink {
public:
    void ShowAlert(const QString& text) override { qCWarning(lcRelay).noquote() << text; }
};

} // namespace

int RunRelay(int argc, char** argv, const QString& configPath)
{
    QCoreApplication application(argc, argv);
    // A service's log is its journal: say what happens on the network, not only failures.
    QLoggingCategory::setFilterRules(QStringLiteral("pellwick.net.info=true\npellwick.relay.info=true"));
    QString error;
    const std::optional<RelayConfig> config = RelayConfig::Load(configPath, &error);
    if (!config) {
        qCCritical(lcRelay).noquote() << configPath + QStringLiteral(": ") + error;
        return kExitConfig;
    }
    TransportEndpoints endpoints;
    endpoints.confirmName = QByteArrayLiteral("pellwick/relay");
    endpoints.workgroup = MachineWorkgroup().toLocal8Bit();
    endpoints.extraNetworks = config->extraNetworks;
    LoggedAlerts alerts;
    SiteRelay relay(alerts, *config, std::move(endpoints));
    if (!relay.IsOpen())
        return kExitUnavailable;
    if (!relay.Start(&error)) {
        qCCritical(lcRelay).noquote() << error;
        return kExitConfig;
    }
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::TerminationRequested, &application,
                     [] { QCoreApplication::quit(); });
    qCInfo(lcRelay).noquote() << "relay of site" << config->site << "started";
    return QCoreApplication::exec();
}
