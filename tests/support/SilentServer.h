#pragma once

#include <QList>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

/// A TCP port on 127.0.0.1 that takes connections into its backlog and
/// never answers them: a server that hangs after accepting.
class SilentServer
{
public:
    SilentServer()
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
            || ::listen(m_socket, 8) != 0
            || ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        ::fcntl(m_socket, F_SETFL, ::fcntl(m_socket, F_GETFL) | O_NONBLOCK);
        m_port = ntohs(address.sin_port);
    }
    ~SilentServer()
    {
        for (int fd : m_taken)
            ::close(fd);
        if (m_socket >= 0)
            ::close(m_socket);
    }
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;

    /// 0 when no port could be opened.
    int port() const { return m_port; }
    /// Connections that arrived since the last call (they stay open, unanswered).
    int takeArrivals()
    {
        int n = 0;
        for (int fd; (fd = ::accept(m_socket, nullptr, nullptr)) >= 0; ++n)
            m_taken.append(fd);
        return n;
    }

private:
    int m_socket = -1;
    int m_port = 0;
    QList<int> m_taken;
};
