#include "ftp/operations/transfer_check.h"

#include "ftp/control/reply.h"
#include "ftp/text/ascii.h"

#include <openssl/evp.h>

#include <algorithm>
#include <charconv>
#include <string_view>
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

Status TransferCheck::beforeDownload(CommandChannel& channel, const std::string& path)
{
    path_ = path;
    sizeAsked_ = channel.features().size;
    // The session keeps binary type from logon on, where SIZE counts the bytes RETR sends.
    return sizeAsked_ ? channel.sendAhead(withArgument("SIZE", path), channel.replyDeadline())
                      : Status::success();
}

Status TransferCheck::takeSize(CommandChannel& channel)
{
    if (sizeAsked_) {
        sizeAsked_ = false;
        Reply reply;
        if (Status s = channel.readAhead(reply, channel.replyDeadline()); !s.ok())
            return s;
        expectedSize_ = sizeFrom(reply);
    }
    return Status::success();
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
    const ServerFeatures& features = channel.features();
    digestKind_ = digest_.kind();
    digestViaHash_ = digestKind_ == DigestKind::Sha256 ? features.hashSha256 : features.hashSha1;
    const Deadline deadline = channel.replyDeadline();
    // A server that will not switch HASH to our algorithm answers HASH in
    // another, which digestFrom() then does not take: no check, no failure.
    if (digestViaHash_ && !sameLetters(channel.learnt().hashSelected, hashName(digestKind_))) {
        if (Status s = channel.sendAhead(std::string("OPTS HASH ") + hashName(digestKind_), deadline); !s.ok())
            return s;
        selectAsked_ = true;
    }
    const char* verb = digestViaHash_ ? "HASH" : digestKind_ == DigestKind::Sha256 ? "XSHA256" : "XSHA1";
    if (Status s = channel.sendAhead(withArgument(verb, path_), deadline); !s.ok())
        return s;
    digestAsked_ = true;
    return Status::success();
}

void TransferCheck::forgetAnswers(CommandChannel& channel)
{
    const Deadline deadline = channel.replyDeadline();
    const int due = int(sizeAsked_) + int(selectAsked_) + int(digestAsked_);
    sizeAsked_ = selectAsked_ = digestAsked_ = false;
    Reply ignored;
    for (int i = 0; i < due && channel.readAhead(ignored, deadline).ok(); ++i) {
    }
}

Status TransferCheck::afterDownload(CommandChannel& channel, const std::string& command)
{
    if (expectedSize_ && moved_ < *expectedSize_) {
        forgetAnswers(channel);
        return Status::failure(ErrorKind::Network, "The transfer broke off: " + std::to_string(moved_) + " of "
                                                       + std::to_string(*expectedSize_) + " bytes arrived ("
                                                       + command + ")");
    }
    if (!digestAsked_)
        return Status::success();
    const bool selectAsked = selectAsked_;
    digestAsked_ = selectAsked_ = false;
    const std::string ours = digest_.finish();
    Reply reply;
    if (selectAsked) {
        if (Status s = channel.readAhead(reply, channel.replyDeadline()); !s.ok())
            return s;
        if (classify(reply.code) == ReplyClass::Done)
            channel.learnt().hashSelected = hashName(digestKind_);
    }
    const auto extraWait = std::chrono::milliseconds(moved_ * 1000 / bytesPerExtraSecond);
    if (Status s = channel.readAhead(reply, channel.replyDeadline() + extraWait); !s.ok())
        return s;
    const std::string theirs = digestFrom(reply, digestKind_, digestViaHash_);
    if (ours.empty() || theirs.empty() || ours == theirs)
        return Status::success();
    return Status::failure(ErrorKind::Protocol, "The file arrived damaged: its " + std::string(hashName(digestKind_))
                                                    + " digest differs from the server's (" + command + ")");
}

Status TransferCheck::afterUpload(CommandChannel& channel, const std::string& command,
                                  const std::function<Status()>& alongside)
{
    // Asked only now: a server that reads commands during a transfer
    // (pyftpdlib) would answer SIZE before the last bytes were stored.
    const Deadline deadline = channel.replyDeadline();
    if (channel.features().size) {
        if (Status s = channel.sendAhead(withArgument("SIZE", path_), deadline); !s.ok())
            return s;
    }
    if (Status s = alongside(); !s.ok())
        return s;
    if (!channel.features().size)
        return Status::success();
    Reply reply;
    if (Status s = channel.readAhead(reply, deadline); !s.ok())
        return s;
    const std::optional<std::uint64_t> stored = sizeFrom(reply);
    if (!stored || *stored == moved_)
        return Status::success();
    return Status::failure(ErrorKind::Network, "The server's copy has " + std::to_string(*stored)
                                                   + " bytes where " + std::to_string(moved_) + " were sent ("
                                                   + command + ")");
}

} // namespace ftp
