#include "support/test_certificates.h"

#include "support/child_process.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#ifndef CORVELL_TEST_CERTIFICATE_SCRIPT
#error "CORVELL_TEST_CERTIFICATE_SCRIPT must name tests/support/make_test_certificates.py"
#endif

namespace {

class CertificateFolder {
public:
    CertificateFolder()
    {
        char folderTemplate[] = "/tmp/corvell-certs-XXXXXX";
        if (!::mkdtemp(folderTemplate))
            throw std::runtime_error("cannot create a folder for the test certificates");
        path = folderTemplate;
        ChildProcess maker({"/usr/bin/python3", CORVELL_TEST_CERTIFICATE_SCRIPT, path}, path + "/maker.log");
        if (maker.wait() != 0)
            throw std::runtime_error("making the test certificates failed: " + maker.log());
    }
    ~CertificateFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

} // namespace

std::string testCertificate(const std::string& name)
{
    static const CertificateFolder folder;
    return folder.path + "/" + name;
}
