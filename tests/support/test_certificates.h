#pragma once
// The certificates the encryption tests serve, made once per test process by
// tests/support/make_test_certificates.py into a temporary folder that goes
// with the process.

#include <string>

// Full path of one file of the set: "ca.pem", "trusted.pem", "self_signed.pem",
// "self_signed_other.pem", "wrong_name.pem" or "expired.pem".
std::string testCertificate(const std::string& name);
