#pragma once

#include <igtlClientSocket.h>

#include <chrono>
#include <string>

namespace Tesselon {

/// The OpenIGTLink library's client socket with a connection attempt that gives up after a timeout (the
/// library's waits for the system's, minutes for an unreachable host, and prints each failure to the
/// console), and with Nagle's algorithm off, since every pose is a small message that must not wait.
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
};

}  // namespace Tesselon
