#pragma once

#include "host/stream/igtl/IgtlClientSocket.h"

#include <igtlServerSocket.h>

#include <chrono>

namespace Tesselon {

/// The OpenIGTLink library's server socket, made to listen again at once on a port whose earlier
/// connections linger in the system (a restarted program would otherwise wait a minute), and to hand out
/// client sockets that send without delay.
class IgtlServerSocket : public igtl::ServerSocket
{
public:
    using Self = IgtlServerSocket;
    using Pointer = igtl::SmartPointer<Self>;
    igtlTypeMacro(IgtlServerSocket, igtl::ServerSocket);
    igtlNewMacro(IgtlServerSocket);

    /// Listens on `port` (0 picks a free one); false when the port is taken.
    bool listenOn(int port);
    /// The next client, or null when none arrives within `timeout`.
    IgtlClientSocket::Pointer acceptWithin(std::chrono::milliseconds timeout);
};

}  // namespace Tesselon
