#pragma once

#include "host/stream/igtl/IgtlClientSocket.h"

#include <igtlServerSocket.h>

#include <chrono>

namespace Tesselon {

/// The OpenIGTLink library's server socket, made to listen again at once on a port whose earlier
/// connections linger in the system (a restarted program would otherwise wait a minute), with a normal
/// backlog of waiting connections, to hand out client sockets that send without delay, to release its
/// descriptor when it closes, and to turn clients away when the process has no descriptors left instead
/// of failing to accept them over and over.
class IgtlServerSocket : public igtl::ServerSocket
{
public:
    using Self = IgtlServerSocket;
    using Pointer = igtl::SmartPointer<Self>;
    igtlTypeMacro(IgtlServerSocket, igtl::ServerSocket);
    igtlNewMacro(IgtlServerSocket);

    /// Listens on `port` (0 picks a free one); false when the port is taken.
    bool listenOn(int port);
    /// The next client, or null when none arrives within `timeout` or one had to be turned away.
    IgtlClientSocket::Pointer acceptWithin(std::chrono::milliseconds timeout);
    /// Hides the library's, which leaks the descriptor.
    void CloseSocket();

protected:
    IgtlServerSocket() = default;
    ~IgtlServerSocket() override { CloseSocket(); }

private:
    /// Accepts and hangs up on the waiting client, with the descriptor kept in reserve for that.
    void turnAway();

    // Held back so that a client can still be accepted, told no and let go when the others are used up.
    int m_reserve = -1;
    bool m_refusing = false;
};

}  // namespace Tesselon
