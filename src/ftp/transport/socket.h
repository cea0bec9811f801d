#pragma once
// The engine's sockets are the ones both protocol engines share.

#include "net/socket.h"

namespace ftp {
using net::Clock;
using net::Deadline;
using net::deadlineAfter;
using net::Socket;
using net::SocketAddress;
using net::WaitResult;
using net::waitFor;
using net::connectToHost;
using net::connectToAddress;
using net::startConnect;
using net::finishConnect;
using net::peerAddress;
using net::setPort;
using net::sendAll;
using net::sendSome;
using net::receiveSome;
using net::wouldBlock;
using net::describeError;
} // namespace ftp
