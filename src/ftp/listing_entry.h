#pragma once
// A listing's entries are the protocol-neutral ones every remote session hands out.

#include "session/remote_entry.h"

namespace ftp {
using session::DateTime;
using session::ListEntry;
} // namespace ftp
