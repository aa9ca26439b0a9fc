#include "platform/ExtraNetworks.h"

#include "platform/Logging.h"

#include <QRegularExpression>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::optional<quint32> ParseAddress(const QString& text)
{
    in_addr address{};
    if (inet_pton(AF_INET, text.toLatin1().constData(), &address) != 1)
        return std::nullopt;
    return ntohl(address.s_addr);
}

bool IsHostName(const QString& text)
{
    static const QRegularExpression name(
        QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?(\\.[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?)*\\.?$"));
    static const QRegularExpression numeric(QStringLiteral("^[0-9.]+$"));
    return text.size() <= 253 && name.match(text).hasMatch() && !numeric.match(text).hasMatch();
}

// The address of the interface the kernel would send to destination from: connecting a UDP
// socket picks the route and sends nothing (a broadcast destination needs SO_BROADCAST).
std::optional<quint32> SourceAddressFor(quint32 destination, int* error)
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = errno;
        return std::nullopt;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);
    to.sin_addr.s_addr = htonl(destination);
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const bool routed = connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0
        && getsockname(fd, reinterpret_cast<sockaddr*>(&from), &length) == 0;
    *error = errno;
    ::close(fd);
    if (!routed)
        return std::nullopt;
    return ntohl(from.sin_addr.s_addr);
}

std::vector<quint32> LookUp(const QByteArray& name, QString* error)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    const int code = getaddrinfo(name.constData(), nullptr, &hints, &list);
    std::vector<quint32> out;
    if (code != 0) {
        *error = QString::fromLocal8Bit(gai_strerror(code));
        return out;
    }
    for (const addrinfo* entry = list; entry; entry = entry->ai_next) {
        sockaddr_in in;
        std::memcpy(&in, entry->ai_addr, sizeof in);
        out.push_back(ntohl(in.sin_addr.s_addr));
    }
    freeaddrinfo(list);
    return out;
}

} // namespace

ParsedExtraNetworks ParseExtraNetworks(QStringView text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    ParsedExtraNetworks parsed;
    for (const QString& item : text.toString().split(separators, Qt::SkipEmptyParts)) {
        ExtraNetworkEntry entry{item, 0, {}};
        const qsizetype slash = item.indexOf(u'/');
        bool prefixOk = true;
        const int prefix = slash < 0 ? 32 : item.mid(slash + 1).toInt(&prefixOk);
        const std::optional<quint32> address = ParseAddress(slash < 0 ? item : item.left(slash));
        if (address && prefixOk && prefix >= 0 && prefix <= 32 && *address != 0) {
            const quint32 hostBits = prefix == 0 ? 0xFFFFFFFFu : (1u << (32 - prefix)) - 1;
            entry.destination = *address | hostBits;
            parsed.entries.push_back(entry);
        } else if (slash < 0 && IsHostName(item)) {
            entry.hostName = item.toLatin1();
            parsed.entries.push_back(entry);
        } else {
            parsed.problems << QStringLiteral("extra network '%1' is neither an IPv4 address, a subnet nor a host name")
                                   .arg(item.left(64));
        }
    }
    return parsed;
}

ResolvedExtraNetworks ResolveExtraNetworks(const std::vector<ExtraNetworkEntry>& entries)
{
    ResolvedExtraNetworks resolved;
    for (const ExtraNetworkEntry& entry : entries) {
        QString error;
        const std::vector<quint32> destinations
            = entry.hostName.isEmpty() ? std::vector<quint32>{entry.destination} : LookUp(entry.hostName, &error);
        if (!error.isEmpty()) {
            resolved.problems << QStringLiteral("extra network '%1' does not resolve: %2").arg(entry.text, error);
            continue;
        }
        for (const quint32 destination : destinations) {
            int routeError = 0;
            const std::optional<quint32> source = SourceAddressFor(destination, &routeError);
            if (!source) {
                resolved.problems << QStringLiteral("extra network '%1' cannot be reached: %2")
                                         .arg(entry.text, QString::fromLocal8Bit(std::strerror(routeError)));
                continue;
            }
            if (std::ranges::none_of(resolved.networks, [&](auto& n) { return n.broadcast == destination; }))
                resolved.networks.push_back({*source, destination});
        }
    }
    return resolved;
}

ExtraNetworks::ExtraNetworks(QStringView text)
{
    ParsedExtraNetworks parsed = ParseExtraNetworks(text);
    m_entries = std::move(parsed.entries);
    m_parseProblems = std::move(parsed.problems);
    m_problems = m_parseProblems;
    Report(m_problems);
    Refresh();
}

ExtraNetworks::~ExtraNetworks()
{
    // A lookup under way ends within the resolver's own time-out; its result is discarded
    // with the posted call.
    if (m_lookup.joinable())
        m_lookup.join();
}

void ExtraNetworks::Refresh()
{
    if (m_entries.empty())
        return;
    if (m_lookup.joinable())
        m_bLookupAgain = true;
    else
        StartLookup();
}

void ExtraNetworks::StartLookup()
{
    m_bLookupAgain = false;
    m_lookup = std::thread([this, entries = m_entries] {
        ResolvedExtraNetworks resolved = ResolveExtraNetworks(entries);
        QMetaObject::invokeMethod(
            this, [this, resolved = std::move(resolved)]() mutable { OnLookedUp(std::move(resolved)); },
            Qt::QueuedConnection);
    });
}

void ExtraNetworks::OnLookedUp(ResolvedExtraNetworks resolved)
{
    m_lookup.join();
    m_networks = std::move(resolved.networks);
    m_problems = m_parseProblems + resolved.problems;
    Report(resolved.problems);
    if (m_bLookupAgain)
        StartLookup();
}

void ExtraNetworks::Report(const QStringList& problems)
{
    for (const QString& problem : problems) {
        if (m_reported.contains(problem))
            continue;
        m_reported.insert(problem);
        qCInfo(lcNet).noquote() << problem;
    }
}
