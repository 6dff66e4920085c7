#include "host/stream/igtl/IgtlServerSocket.h"

#include <sys/socket.h>

namespace Tesselon {

bool IgtlServerSocket::listenOn(int port)
{
    CloseSocket();
    m_SocketDescriptor = CreateSocket();
    const int on = 1;
    if (m_SocketDescriptor < 0 ||
        setsockopt(m_SocketDescriptor, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        BindSocket(m_SocketDescriptor, port) != 0 || Listen(m_SocketDescriptor) != 0) {
        CloseSocket();
        return false;
    }
    return true;
}

IgtlClientSocket::Pointer IgtlServerSocket::acceptWithin(std::chrono::milliseconds timeout)
{
    if (m_SocketDescriptor < 0 ||
        SelectSocket(m_SocketDescriptor, static_cast<unsigned long>(timeout.count())) != 1)
        return nullptr;
    const int descriptor = Accept(m_SocketDescriptor);
    if (descriptor < 0)
        return nullptr;
    auto client = IgtlClientSocket::New();
    client->adopt(descriptor);
    return client;
}

}  // namespace Tesselon
