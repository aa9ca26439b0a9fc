#pragma once

#include "platform/BroadcastSender.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <thread>
#include <vector>

// One entry of the extra networks' text: an IPv4 address, a subnet in CIDR form (the records
// go to its directed broadcast) or a host name, looked up later.
struct ExtraNetworkEntry {
    QString text;
    quint32 destination = 0; // host byte order; 0 for a name
    QByteArray hostName;
    bool operator==(const ExtraNetworkEntry&) const = default;
};

struct ParsedExtraNetworks {
    std::vector<ExtraNetworkEntry> entries;
    QStringList problems; // one line per entry that does not parse
};

// Entries are separated by spaces or commas.
ParsedExtraNetworks ParseExtraNetworks(QStringView text);

struct ResolvedExtraNetworks {
    std::vector<Ipv4Network> networks; // each destination once, with the address it leaves from
    QStringList problems; // one line per entry that does not resolve or cannot be reached
};

// Blocks on name lookups: never on the GUI thread.
ResolvedExtraNetworks ResolveExtraNetworks(const std::vector<ExtraNetworkEntry>& entries);

// The networks beyond the attached ones that get every record too (hosts and subnets behind a
// router, which a broadcast never reaches). Names are looked up on a thread of their own, at
// once and again whenever Refresh is called (the interfaces changed); until the first lookup
// ends there are none. Each problem is logged once (pellwick.net) and the entry skipped.
// Lives on the GUI thread.
class ExtraNetworks : public QObject {
public:
    explicit ExtraNetworks(QStringView text);
    ~ExtraNetworks() override;

    const std::vector<Ipv4Network>& Current() const { return m_networks; }
    // What is wrong with the entries now, for the user to see.
    const QStringList& Problems() const { return m_problems; }
    // Looks the entries up again; a lookup under way is followed by one more.
    void Refresh();

private:
    void StartLookup();
    void OnLookedUp(ResolvedExtraNetworks resolved);
    void Report(const QStringList& problems);

    std::vector<ExtraNetworkEntry> m_entries;
    QStringList m_parseProblems;
    std::vector<Ipv4Network> m_networks;
    QStringList m_problems;
    QSet<QString> m_reported;
    std::thread m_lookup;
    bool m_bLookupAgain = false;
};
