#include "host/stream/igtl/IgtlServerSocket.h"

#include "host/core/base/Log.h"

#include <fmt/core.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace Tesselon {
namespace {

constexpr std::string_view category = "IgtlServerSocket";

int openReserve()
{
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

std::string descriptorLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return "unknown";
    return std::to_string(limit.rlim_cur);
}

}  // namespace

bool IgtlServerSocket::listenOn(int port)
{
    CloseSocket();
    m_SocketDescriptor = CreateSocket();
    const int on = 1;
    if (m_SocketDescriptor < 0 ||
        setsockopt(m_SocketDescriptor, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        BindSocket(m_SocketDescriptor, port) != 0 || ::listen(m_SocketDescriptor, SOMAXCONN) != 0) {
        CloseSocket();
        return false;
    }
    m_reserve = openReserve();
    return true;
}

void IgtlServerSocket::CloseSocket()
{
    closeSocketDescriptor(m_SocketDescriptor);
    if (m_reserve >= 0)
        ::close(m_reserve);
    m_reserve = -1;
}

IgtlClientSocket::Pointer IgtlServerSocket::acceptWithin(std::chrono::milliseconds timeout)
{
    pollfd listening{m_SocketDescriptor, POLLIN, 0};
    if (m_SocketDescriptor < 0 || ::poll(&listening, 1, static_cast<int>(timeout.count())) != 1)
        return nullptr;
    const int descriptor = ::accept4(m_SocketDescriptor, nullptr, nullptr, SOCK_CLOEXEC);
    if (descriptor < 0) {
        if (errno == EMFILE || errno == ENFILE)
            turnAway();
        return nullptr;
    }
    m_refusing = false;
    auto client = IgtlClientSocket::New();
    client->adopt(descriptor);
    return client;
}

void IgtlServerSocket::turnAway()
{
    if (!m_refusing)
        Log::warning(category,
                     fmt::format("Turned an OpenIGTLink client away on port {}: this program has no file "
                                 "descriptors left (limit {}). Close other connections or raise the limit.",
                                 GetServerPort(), descriptorLimit()));
    m_refusing = true;
    if (m_reserve < 0) {
        // Nothing to accept it with: the client waits in the backlog, and we wait rather than spin.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        m_reserve = openReserve();
        return;
    }
    ::close(m_reserve);
    if (const int descriptor = ::accept4(m_SocketDescriptor, nullptr, nullptr, SOCK_CLOEXEC); descriptor >= 0)
        ::close(descriptor);
    m_reserve = openReserve();
}

}  // namespace Tesselon
