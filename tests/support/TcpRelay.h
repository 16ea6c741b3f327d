#pragma once
// A TCP relay for tests: listens on a free port of 127.0.0.1 and forwards every connection it
// accepts to a target port of 127.0.0.1, recording what the clients send. It runs on a thread of
// its own, so the client under test may block the test's thread.
#include <QByteArray>

#include <mutex>
#include <thread>

class TcpRelay {
public:
    explicit TcpRelay(quint16 targetPort);
    ~TcpRelay();
    TcpRelay(const TcpRelay&) = delete;
    TcpRelay& operator=(const TcpRelay&) = delete;

    bool isRunning() const { return m_port != 0; }
    quint16 port() const { return m_port; }
    // Everything the clients sent so far.
    QByteArray fromClients() const;

private:
    void run();

    quint16 m_targetPort;
    quint16 m_port = 0;
    int m_listener = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QByteArray m_fromClients; // guarded by m_mutex
};
