#include "ftp/operations/transfer_check.h"

#include "ftp/control/reply.h"
#include "ftp/text/ascii.h"

#include <openssl/evp.h>

#include <algorithm>
#include <charconv>
#include <string_view>
#include <utility>
#include <vector>

namespace ftp {

namespace {

// A digest answer may take the server this long per byte beyond the usual
// reply timeout: one second for every 50 MiB it must read.
constexpr std::uint64_t bytesPerExtraSecond = 50ull * 1024 * 1024;

const char* hashName(DigestKind kind) { return kind == DigestKind::Sha256 ? "SHA-256" : "SHA-1"; }
std::size_t hexLength(DigestKind kind) { return kind == DigestKind::Sha256 ? 64 : 40; }

// The words of a reply's last line after its code: "213 SHA-1 0-9 ab12 /f" -> SHA-1, 0-9, ab12, /f.
// The answer is on the last line; lines before it are comments such as
// ProFTPD's "213-Computing SHA-256 digest".
std::vector<std::string_view> replyWords(const Reply& reply)
{
    std::string_view line(reply.text);
    if (const std::size_t lastBreak = line.rfind('\n'); lastBreak != std::string_view::npos)
        line.remove_prefix(lastBreak + 1);
    line.remove_prefix(std::min<std::size_t>(4, line.size()));
    std::vector<std::string_view> words;
    while (!line.empty()) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string_view::npos)
            break;
        line.remove_prefix(start);
        const std::size_t end = line.find(' ');
        words.push_back(line.substr(0, end));
        line.remove_prefix(end == std::string_view::npos ? line.size() : end);
    }
    return words;
}

// `word` as a digest of `kind` in lower-case hex, or empty when it is not one.
std::string digestWord(std::string_view word, DigestKind kind)
{
    if (word.size() != hexLength(kind))
        return {};
    std::string hex;
    for (char c : word) {
        if (c >= 'A' && c <= 'F')
            c = char(c + 32);
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return {};
        hex += c;
    }
    return hex;
}

} // namespace

DigestKind offeredDigest(const ServerFeatures& features)
{
    if (features.hashSha256 || features.xsha256)
        return DigestKind::Sha256;
    if (features.hashSha1 || features.xsha1)
        return DigestKind::Sha1;
    return DigestKind::None;
}

void RunningDigest::Free::operator()(evp_md_ctx_st* context) const
{
    EVP_MD_CTX_free(context);
}

void RunningDigest::start(DigestKind kind)
{
    context_.reset();
    kind_ = DigestKind::None;
    if (kind == DigestKind::None)
        return;
    std::unique_ptr<evp_md_ctx_st, Free> context(EVP_MD_CTX_new());
    const EVP_MD* method = kind == DigestKind::Sha256 ? EVP_sha256() : EVP_sha1();
    // Without a working digest the transfer goes on unchecked, as with a server that offers none.
    if (!context || EVP_DigestInit_ex(context.get(), method, nullptr) != 1)
        return;
    context_ = std::move(context);
    kind_ = kind;
}

void RunningDigest::add(const char* data, std::size_t size)
{
    if (EVP_DigestUpdate(context_.get(), data, size) != 1)
        context_.reset();
}

std::string RunningDigest::finish()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    const bool done = context_ && EVP_DigestFinal_ex(context_.get(), digest, &length) == 1;
    context_.reset();
    if (!done)
        return {};
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += digits[digest[i] >> 4];
        hex += digits[digest[i] & 15];
    }
    return hex;
}

namespace {

// "213 4096" -> 4096; nothing for any other answer.
std::optional<std::uint64_t> sizeFrom(const Reply& reply)
{
    const std::vector<std::string_view> words = replyWords(reply);
    if (reply.code != 213 || words.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(words[0].data(), words[0].data() + words[0].size(), value);
    if (error == std::errc() && end == words[0].data() + words[0].size())
        return value;
    return std::nullopt;
}

// HASH: "213 SHA-256 0-1000 <hex> <path>"; XSHA256 and XSHA1: "213 <hex>"
// (ProFTPD: "250 <HEX>"). Empty when refused or unreadable: no check, not a failure.
std::string digestFrom(const Reply& reply, DigestKind kind, bool viaHash)
{
    if (classify(reply.code) != ReplyClass::Done)
        return {};
    const std::vector<std::string_view> words = replyWords(reply);
    if (viaHash && words.size() >= 3 && sameLetters(words[0], hashName(kind)))
        return digestWord(words[2], kind);
    if (!viaHash && !words.empty())
        return digestWord(words[0], kind);
    return {};
}

} // namespace

Status TransferCheck::beforeDownload(CommandChannel& channel, const std::string& path, std::string& restart,
                                     std::uint64_t knownSize)
{
    path_ = path;
    if (!channel.link().features.size)
        return Status::success();
    const auto takeSize = [this, &restart, knownSize](const Reply& reply) {
        expectedSize_ = sizeFrom(reply);
        if (expectedSize_ && *expectedSize_ != knownSize)
            restart.clear();
        return Status::success();
    };
    // The session keeps binary type from logon on, where SIZE counts the bytes RETR sends.
    return channel.send(withArgument("SIZE", path), takeSize, channel.replyDeadline());
}

void TransferCheck::startDigest(const ServerFeatures& features)
{
    if ((!expectedSize_ || *expectedSize_ <= maxDigestedSize) && held_ <= maxDigestedSize)
        digest_.start(offeredDigest(features));
}

Status TransferCheck::dataEnded(CommandChannel& channel)
{
    // A file that grew while it was read no longer matches the server's
    // digest of what it holds now; its size check is all it gets.
    if (!digest_.active() || (expectedSize_ && moved_ != *expectedSize_) || moved_ > maxDigestedSize
        || heldTaken_ != held_)
        return Status::success();
    const ServerFeatures& features = channel.link().features;
    const DigestKind kind = digest_.kind();
    digestViaHash_ = kind == DigestKind::Sha256 ? features.hashSha256 : features.hashSha1;
    const Deadline deadline = channel.replyDeadline();
    // A server that will not switch HASH to our algorithm answers HASH in
    // another, which digestFrom() then does not take: no check, no failure.
    if (digestViaHash_ && !sameLetters(channel.link().learnt.hashSelected, hashName(kind))) {
        if (Status s = channel.send(std::string("OPTS HASH ") + hashName(kind), storeReply(selectReply_.emplace()),
                                    deadline);
            !s.ok())
            return s;
    }
    const char* verb = digestViaHash_ ? "HASH" : kind == DigestKind::Sha256 ? "XSHA256" : "XSHA1";
    if (Status s = channel.send(withArgument(verb, path_), storeReply(digestReply_.emplace()), deadline); !s.ok())
        return s;
    digestKind_ = kind;
    return Status::success();
}

void TransferCheck::forgetAnswers(CommandChannel& channel)
{
    (void)channel.await(channel.replyDeadline());
    selectReply_.reset();
    digestReply_.reset();
    digestKind_ = DigestKind::None;
}

Status TransferCheck::afterDownload(CommandChannel& channel, const std::string& command)
{
    if (expectedSize_ && moved_ < *expectedSize_) {
        forgetAnswers(channel);
        return Status::failure(ErrorKind::Network, "The transfer broke off: " + std::to_string(moved_) + " of "
                                                       + std::to_string(*expectedSize_) + " bytes arrived ("
                                                       + command + ")");
    }
    const DigestKind kind = std::exchange(digestKind_, DigestKind::None);
    if (kind == DigestKind::None)
        return Status::success();
    const std::string ours = digest_.finish();
    // The server reads the whole file for its digest.
    const auto extraWait = std::chrono::milliseconds(moved_ * 1000 / bytesPerExtraSecond);
    if (Status s = channel.await(channel.replyDeadline() + extraWait); !s.ok())
        return s;
    if (selectReply_ && classify(selectReply_->code) == ReplyClass::Done)
        channel.link().learnt.hashSelected = hashName(kind);
    const std::string theirs = digestReply_ ? digestFrom(*digestReply_, kind, digestViaHash_) : std::string();
    if (ours.empty() || theirs.empty() || ours == theirs)
        return Status::success();
    return Status::failure(ErrorKind::Protocol, "The file arrived damaged: its " + std::string(hashName(kind))
                                                    + " digest differs from the server's (" + command + ")");
}

Status TransferCheck::afterUpload(CommandChannel& channel, const std::string& command,
                                  const std::function<Status()>& alongside)
{
    // Asked only now: a server that reads commands during a transfer
    // (pyftpdlib) would answer SIZE before the last bytes were stored.
    const Deadline deadline = channel.replyDeadline();
    const bool asked = channel.link().features.size;
    Reply reply;
    if (asked) {
        if (Status s = channel.send(withArgument("SIZE", path_), storeReply(reply), deadline); !s.ok())
            return s;
    }
    if (Status s = alongside(); !s.ok())
        return s;
    if (!asked)
        return Status::success();
    if (Status s = channel.await(deadline); !s.ok())
        return s;
    const std::optional<std::uint64_t> stored = sizeFrom(reply);
    if (!stored || *stored == moved_)
        return Status::success();
    return Status::failure(ErrorKind::Network, "The server's copy has " + std::to_string(*stored)
                                                   + " bytes where " + std::to_string(moved_) + " were sent ("
                                                   + command + ")");
}

} // namespace ftp
