#include "host/stream/igtl/IgtlClientSocket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <memory>
#include <string>

namespace Tesselon {
namespace {

bool finishConnecting(int descriptor, const sockaddr* address, socklen_t length,
                      std::chrono::milliseconds timeout)
{
    const int flags = fcntl(descriptor, F_GETFL, 0);
    if (flags < 0 || fcntl(descriptor, F_SETFL, flags | O_NONBLOCK) != 0)
        return false;
    if (::connect(descriptor, address, length) != 0) {
        if (errno != EINPROGRESS)
            return false;
        pollfd watched{descriptor, POLLOUT, 0};
        if (poll(&watched, 1, static_cast<int>(timeout.count())) != 1)
            return false;
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
            return false;
    }
    return fcntl(descriptor, F_SETFL, flags) == 0;
}

void sendWithoutDelay(int descriptor)
{
    const int on = 1;
    setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

void closeSocketDescriptor(int& descriptor)
{
    if (descriptor < 0)
        return;
    // The shutdown wakes a thread still blocked on the socket; the close releases the descriptor.
    ::shutdown(descriptor, SHUT_RDWR);
    ::close(descriptor);
    descriptor = -1;
}

bool IgtlClientSocket::connectWithin(const std::string& host, int port, std::chrono::milliseconds timeout)
{
    CloseSocket();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> addresses(found, freeaddrinfo);
    for (const addrinfo* address = found; address; address = address->ai_next) {
        const int descriptor = ::socket(address->ai_family, address->ai_socktype, address->ai_protocol);
        if (descriptor < 0)
            continue;
        if (finishConnecting(descriptor, address->ai_addr, address->ai_addrlen, timeout)) {
            adopt(descriptor);
            return true;
        }
        ::close(descriptor);
    }
    return false;
}

void IgtlClientSocket::adopt(int descriptor)
{
    CloseSocket();
    sendWithoutDelay(descriptor);
    m_SocketDescriptor = descriptor;
}

bool IgtlClientSocket::discardReceived()
{
    std::array<char, 4096> buffer;
    // Bounded, so a peer that sends without pause cannot keep us here.
    for (int reads = 0; reads < 16; ++reads) {
        const ssize_t received = ::recv(m_SocketDescriptor, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (received == 0)
            return false;
        if (received < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
    return true;
}

}  // namespace Tesselon
