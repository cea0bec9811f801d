#pragma once
// What tells a whole file from a damaged one after its transfer: the size the
// server gives for it (SIZE) and, where the server offers one, its digest
// (HASH, XSHA256, XSHA1). A server that confirms a transfer with 226 may still
// have sent too few bytes, or kept too few of ours.

#include "ftp/control/command_channel.h"
#include "ftp/status.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

struct evp_md_ctx_st;

namespace ftp {

enum class DigestKind { None, Sha256, Sha1 };

// The digest this server can give of a file, SHA-256 before SHA-1.
DigestKind offeredDigest(const ServerFeatures& features);

// A digest taken block by block as the data goes by, so that checking a
// download costs no second read of the local file.
class RunningDigest {
public:
    // Starts over; None leaves it idle.
    void start(DigestKind kind);
    bool active() const { return context_ != nullptr; }
    DigestKind kind() const { return kind_; }
    void add(const char* data, std::size_t size);
    // The digest in lower-case hex; the digest is idle afterwards.
    std::string finish();

private:
    struct Free {
        void operator()(evp_md_ctx_st* context) const;
    };
    std::unique_ptr<evp_md_ctx_st, Free> context_;
    DigestKind kind_ = DigestKind::None;
};

// The server needs a whole read of the file to give its digest: larger files
// are not checked that way.
constexpr std::uint64_t maxDigestedSize = std::uint64_t(1) << 30;

// The bookkeeping of one transfer and the questions asked before and after it.
class TransferCheck {
public:
    // Before RETR: asks the server's size, sent ahead of the data connection's
    // own commands, its answer taken in its turn. A download that continues
    // (`restart` holds its REST) keeps REST only while that size is still
    // `knownSize`: a file whose size changed is another file, and its partial
    // copy is worth nothing. Then startDigest() digests the arriving data when
    // the server can give its own digest to compare.
    Status beforeDownload(CommandChannel& channel, const std::string& path, std::string& restart,
                          std::uint64_t knownSize);
    void startDigest(const ServerFeatures& features);
    void beforeUpload(const std::string& path) { path_ = path; }

    // A download that continues at `offset`, before startDigest(): the size
    // check counts the bytes already held, and the digest wants them
    // (held()) before the first byte received.
    void resumeAt(std::uint64_t offset) { moved_ = held_ = offset; }
    bool wantsHeld() const { return heldTaken_ < held_ && digest_.active(); }
    void held(const char* data, std::size_t size)
    {
        if (!wantsHeld() || size > held_ - heldTaken_)
            return;
        heldTaken_ += size;
        digest_.add(data, size);
    }

    void received(const char* data, std::size_t size)
    {
        moved_ += size;
        if (!digest_.active())
            return;
        // A digest that misses the held bytes would only ever differ.
        if (heldTaken_ != held_)
            return digest_.start(DigestKind::None);
        digest_.add(data, size);
    }
    void sent(std::size_t size) { moved_ += size; }
    // True when the server gave a size before the download and exactly that
    // many bytes arrived.
    bool matchesGivenSize() const { return expectedSize_ && moved_ == *expectedSize_; }

    // At the end of a download's data, before the server's final reply:
    // asks for the server's digest when it will be compared, so that its
    // answer travels with the final reply instead of a round trip after it.
    Status dataEnded(CommandChannel& channel);
    // After the server's final 2xx. A download short of the size given
    // before it, or whose digest differs from the server's, fails; a longer
    // one passes (a file that grows while it is read, such as a live log).
    Status afterDownload(CommandChannel& channel, const std::string& command);
    // A transfer that failed before its check reads what it asked ahead, unheeded.
    void forgetAnswers(CommandChannel& channel);
    // After the server's final 2xx: the server's copy must hold exactly the bytes sent.
    // `alongside` sends what may travel with the size question (the next
    // transfer's EPSV) before its answer is awaited.
    Status afterUpload(CommandChannel& channel, const std::string& command,
                       const std::function<Status()>& alongside);

private:
    std::string path_;
    std::optional<std::uint64_t> expectedSize_;
    std::uint64_t moved_ = 0;
    std::uint64_t held_ = 0;       // bytes before a resumed download's start
    std::uint64_t heldTaken_ = 0;  // of which the digest has seen these
    RunningDigest digest_;
    // The digest asked of the server once the data ended (None: none asked),
    // and the answers to OPTS HASH (when sent) and to HASH or XSHA….
    DigestKind digestKind_ = DigestKind::None;
    bool digestViaHash_ = false;
    std::optional<Reply> selectReply_;
    std::optional<Reply> digestReply_;
};

} // namespace ftp
