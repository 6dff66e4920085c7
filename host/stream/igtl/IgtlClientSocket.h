#pragma once

#include <igtlClientSocket.h>

#include <chrono>
#include <string>

namespace Tesselon {

/// Shuts a socket down and releases its descriptor; -1 afterwards. The library's sockets only shut down,
/// so each connection would keep a descriptor until the process ends.
void closeSocketDescriptor(int& descriptor);

/// The OpenIGTLink library's client socket with a connection attempt that gives up after a timeout (the
/// library's waits for the system's, minutes for an unreachable host, and prints each failure to the
/// console), with Nagle's algorithm off, since every pose is a small message that must not wait, and with
/// its descriptor released when it closes or goes.
class IgtlClientSocket : public igtl::ClientSocket
{
public:
    using Self = IgtlClientSocket;
    using Pointer = igtl::SmartPointer<Self>;
    igtlTypeMacro(IgtlClientSocket, igtl::ClientSocket);
    igtlNewMacro(IgtlClientSocket);

    /// True once connected; false when the host is unknown, refuses or does not answer in time.
    bool connectWithin(const std::string& host, int port, std::chrono::milliseconds timeout);
    /// Takes over a connected socket descriptor (one a server accepted).
    void adopt(int descriptor);
    /// Hides the library's, which leaks the descriptor.
    void CloseSocket() { closeSocketDescriptor(m_SocketDescriptor); }
    /// Reads and drops whatever the peer sent, without waiting; false once the peer has closed the
    /// connection or it failed.
    bool discardReceived();

protected:
    IgtlClientSocket() = default;
    ~IgtlClientSocket() override { CloseSocket(); }
};

}  // namespace Tesselon
