#pragma once
// The engine's sockets are the ones both protocol engines share; their
// results become the session's status here.

#include "ftp/status.h"
#include "net/socket.h"

namespace ftp {
using net::Clock;
using net::Deadline;
using net::deadlineAfter;
using net::Socket;
using net::SocketAddress;
using net::WaitResult;
using net::waitFor;
using net::peerAddress;
using net::setPort;
using net::sendSome;
using net::receiveSome;
using net::wouldBlock;
using net::describeError;

// The socket helpers answer in their own terms; the engine speaks in its status.
inline Status statusOf(const net::Result& result)
{
    switch (result.failure()) {
    case net::Failure::None:
        return Status::success();
    case net::Failure::InvalidArgument:
        return Status::failure(ErrorKind::InvalidArgument, result.message());
    case net::Failure::Timeout:
        return Status::failure(ErrorKind::Timeout, result.message());
    case net::Failure::Network:
        break;
    }
    return Status::failure(ErrorKind::Network, result.message());
}

using net::connectToHost;
using net::connectToAddress;
using net::startConnect;
using net::finishConnect;
using net::sendAll;
} // namespace ftp
