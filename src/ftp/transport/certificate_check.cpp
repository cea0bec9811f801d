#include "ftp/transport/certificate_check.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

namespace ftp {

namespace {

std::string nameText(const X509_NAME* name)
{
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), &BIO_free);
    if (!bio || !name)
        return {};
    // One line, most significant part first, as browsers show it: "CN=host, O=Org".
    X509_NAME_print_ex(bio.get(), name, 0,
                       (XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB & ~XN_FLAG_SPC_EQ) | XN_FLAG_DN_REV | ASN1_STRFLGS_UTF8_CONVERT);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return size > 0 ? std::string(data, std::size_t(size)) : std::string();
}

std::string timeText(const ASN1_TIME* time)
{
    std::tm parts{};
    if (!time || ASN1_TIME_to_tm(time, &parts) != 1)
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d UTC", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

std::string problemText(int code, const std::string& host)
{
    switch (code) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return "The certificate is self-signed.";
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return "The certificate has expired.";
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return "The certificate is not valid yet.";
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return "The certificate is not issued for \"" + host + "\".";
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return "The certificate is issued by an authority that is not trusted.";
    case X509_V_ERR_CERT_REVOKED:
        return "The certificate has been revoked.";
    default:
        return std::string("The certificate did not pass the check: ") + X509_verify_cert_error_string(code) + ".";
    }
}

} // namespace

std::string certificateFingerprint(x509_st* certificate)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!certificate || X509_digest(certificate, EVP_sha256(), digest, &size) != 1)
        return {};
    static const char hex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
        if (i > 0)
            text += ':';
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 15];
    }
    return text;
}

CertificateReport describeCertificate(x509_st* certificate, const std::vector<int>& verifyErrors,
                                      const std::string& host, std::uint16_t port)
{
    CertificateReport report;
    report.host = host;
    report.port = port;
    for (const int code : verifyErrors) {
        std::string text = problemText(code, host);
        if (std::find(report.problems.begin(), report.problems.end(), text) == report.problems.end())
            report.problems.push_back(std::move(text));
    }
    if (!certificate) {
        report.problems.push_back("The server sent no certificate.");
        return report;
    }
    report.subject = nameText(X509_get_subject_name(certificate));
    report.issuer = nameText(X509_get_issuer_name(certificate));
    report.validFrom = timeText(X509_get0_notBefore(certificate));
    report.validUntil = timeText(X509_get0_notAfter(certificate));
    report.sha256Fingerprint = certificateFingerprint(certificate);
    return report;
}

} // namespace ftp
