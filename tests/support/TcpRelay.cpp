#include "TcpRelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace {
sockaddr_in Loopback(quint16 port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

struct Pair {
    int client;
    int target;
};
} // namespace

TcpRelay::TcpRelay(quint16 targetPort) : m_targetPort(targetPort) {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    if (m_listener < 0 || ::pipe(m_wake) != 0 ||
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 8) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

TcpRelay::~TcpRelay() {
    if (m_thread.joinable()) {
        const char stop = 0;
        (void)!::write(m_wake[1], &stop, 1);
        m_thread.join();
    }
    for (int fd : {m_listener, m_wake[0], m_wake[1]})
        if (fd >= 0) ::close(fd);
}

QByteArray TcpRelay::fromClients() const {
    std::lock_guard lock(m_mutex);
    return m_fromClients;
}

void TcpRelay::run() {
    std::vector<Pair> pairs;
    for (;;) {
        std::vector<pollfd> polls{{m_wake[0], POLLIN, 0}, {m_listener, POLLIN, 0}};
        for (const Pair& p : pairs) {
            polls.push_back({p.client, POLLIN, 0});
            polls.push_back({p.target, POLLIN, 0});
        }
        if (::poll(polls.data(), polls.size(), -1) < 0) continue;
        if (polls[0].revents) break;
        if (polls[1].revents & POLLIN) {
            const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            const int target = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const sockaddr_in address = Loopback(m_targetPort);
            if (client >= 0 && target >= 0 &&
                ::connect(target, reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
                    0) {
                pairs.push_back({client, target});
            } else {
                if (client >= 0) ::close(client);
                if (target >= 0) ::close(target);
            }
            continue; // the poll list no longer matches the pairs
        }
        std::vector<Pair> open;
        for (size_t i = 0; i < pairs.size(); ++i) {
            bool closed = false;
            for (int side = 0; side < 2 && !closed; ++side) {
                const pollfd& p = polls[2 + 2 * i + side];
                if (!p.revents) continue;
                const int to = side == 0 ? pairs[i].target : pairs[i].client;
                char buffer[16384];
                const ssize_t n = ::recv(p.fd, buffer, sizeof buffer, 0);
                if (n <= 0 || ::send(to, buffer, size_t(n), MSG_NOSIGNAL) != n) {
                    closed = true;
                    break;
                }
                if (side == 0) {
                    std::lock_guard lock(m_mutex);
                    m_fromClients.append(buffer, n);
                }
            }
            if (closed) {
                ::close(pairs[i].client);
                ::close(pairs[i].target);
            } else {
                open.push_back(pairs[i]);
            }
        }
        pairs = std::move(open);
    }
    for (const Pair& p : pairs) {
        ::close(p.client);
        ::close(p.target);
    }
}
