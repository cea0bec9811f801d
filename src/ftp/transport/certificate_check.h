#pragma once
// A server certificate described for the user's judgement, in the seam's
// plain report: why it failed the check against the trusted roots and the
// host name, whose it is, who vouches for it, when it is valid and its
// SHA-256 fingerprint. The OpenSSL side of it stays in the engine.

#include "session/questions.h"

#include <cstdint>
#include <string>
#include <vector>

struct x509_st;

namespace ftp {

using session::CertificateReport;

// Fills the description of `certificate` and turns the verification error
// codes (X509_V_ERR_*) met on the chain into sentences, each reason once.
CertificateReport describeCertificate(x509_st* certificate, const std::vector<int>& verifyErrors,
                                      const std::string& host, std::uint16_t port);

// The SHA-256 fingerprint of `certificate` as colon-separated hex pairs.
std::string certificateFingerprint(x509_st* certificate);

} // namespace ftp
