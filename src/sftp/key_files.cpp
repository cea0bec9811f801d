#include "sftp/key_files.h"

#include "session/questions.h"

#include <algorithm>
#include <memory>
#include <optional>

#include <unistd.h>

namespace sftp {
namespace {

// Tries for one key; the user may cancel sooner.
constexpr int passphraseTries = 3;

struct KeyFree {
    void operator()(ssh_key key) const { ssh_key_free(key); }
};
using Key = std::unique_ptr<ssh_key_struct, KeyFree>;

// libssh asks this only for a key that is protected: it notes the fact and
// declines, so the question goes to the user through Questions instead.
int noteProtected(const char*, char*, size_t, int, int, void* protectedKey)
{
    *static_cast<bool*>(protectedKey) = true;
    return -1;
}

Key load(const std::string& path, const char* passphrase, bool* protectedKey)
{
    ssh_key key = nullptr;
    const int status = ssh_pki_import_privkey_file(path.c_str(), passphrase, protectedKey ? noteProtected : nullptr,
                                                   protectedKey, &key);
    if (status != SSH_OK) {
        ssh_key_free(key);
        return nullptr;
    }
    return Key(key);
}

void wipe(std::string& secret)
{
    std::fill(secret.begin(), secret.end(), '\0');
    secret.clear();
}

Key unlock(const std::string& path, session::Questions* questions)
{
    bool protectedKey = false;
    if (Key key = load(path, nullptr, &protectedKey))
        return key;
    if (!protectedKey || !questions)
        return nullptr;  // unreadable, or nobody to ask
    for (int attempt = 1; attempt <= passphraseTries; ++attempt) {
        std::optional<std::string> passphrase = questions->keyPassphrase({path, attempt});
        if (!passphrase || passphrase->empty())
            return nullptr;  // nothing given: this key is skipped
        Key key = load(path, passphrase->c_str(), nullptr);
        wipe(*passphrase);
        if (key)
            return key;
    }
    return nullptr;
}

} // namespace

int tryKeyFiles(ssh_session ssh, const std::vector<std::string>& keyFiles, session::Questions* questions)
{
    for (const std::string& path : keyFiles) {
        if (::access(path.c_str(), R_OK) != 0)
            continue;
        // With the public half at hand, the server says first whether it would take the key.
        if (ssh_key publicKey = nullptr; ssh_pki_import_pubkey_file((path + ".pub").c_str(), &publicKey) == SSH_OK) {
            const int offered = ssh_userauth_try_publickey(ssh, nullptr, publicKey);
            ssh_key_free(publicKey);
            if (offered == SSH_AUTH_ERROR)
                return SSH_AUTH_ERROR;
            if (offered != SSH_AUTH_SUCCESS)
                continue;
        }
        const Key key = unlock(path, questions);
        if (!key)
            continue;
        const int result = ssh_userauth_publickey(ssh, nullptr, key.get());
        if (result != SSH_AUTH_DENIED)
            return result;  // taken, taken with more to come, or broken
    }
    return SSH_AUTH_DENIED;
}

} // namespace sftp
