#pragma once
// The engine's results are the protocol-neutral ones every remote session returns.

#include "session/status.h"

namespace ftp {
using session::ErrorKind;
using session::Status;
} // namespace ftp
