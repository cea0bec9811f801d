#pragma once
// What the user needs to judge a server certificate that did not pass the
// check against the trusted roots and the host name: why it failed, whose it
// is, who vouches for it, when it is valid and its SHA-256 fingerprint.

#include <cstdint>
#include <string>
#include <vector>

struct x509_st;

namespace ftp {

struct CertificateReport {
    std::string host;  // as the user typed it
    std::uint16_t port = 0;
    std::vector<std::string> problems;  // one sentence each; empty = the certificate passed
    std::string subject;                // "CN=ftp.example.com, O=Example"
    std::string issuer;
    std::string validFrom;              // "2026-01-31 12:00:00 UTC"
    std::string validUntil;
    std::string sha256Fingerprint;      // "AB:CD:..." (32 bytes)

    bool trusted() const { return problems.empty(); }
};

// Fills the description of `certificate` and turns the verification error
// codes (X509_V_ERR_*) met on the chain into sentences, each reason once.
CertificateReport describeCertificate(x509_st* certificate, const std::vector<int>& verifyErrors,
                                      const std::string& host, std::uint16_t port);

// The SHA-256 fingerprint of `certificate` as colon-separated hex pairs.
std::string certificateFingerprint(x509_st* certificate);

} // namespace ftp
