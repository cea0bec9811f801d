#pragma once
// One streamed file transfer (RETR or STOR) on a data connection, with the
// server's final reply read in step with the data, and the file's size (and
// digest, where offered) checked with the server around it.

#include "ftp/control/command_channel.h"
#include "ftp/operations/data_channel.h"
#include "ftp/ftp_session.h"
#include "ftp/control/reply.h"
#include "ftp/status.h"
#include "ftp/transport/stream.h"
#include "ftp/operations/transfer_check.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace ftp {

class FileTransfer {
public:
    explicit FileTransfer(CommandChannel& channel) : channel_(channel) {}

    // Starts RETR/STOR of `path`; the link is Transferring on success.
    Status open(const std::string& path, TransferDirection direction);
    // RETR from `offset` (REST just before it) when the server's size is
    // `knownSize` and it takes REST; else from 0, with `offset` set to 0.
    Status resume(const std::string& path, std::uint64_t knownSize, std::uint64_t& offset);
    // The bytes before a resumed download's offset, for its digest.
    bool wantsHeld() const { return isOpen() && check_.wantsHeld(); }
    void addHeld(const char* data, std::size_t size) { check_.held(data, size); }
    bool isOpen() const { return channel_.transferOpen(); }
    Status read(char* out, std::size_t size, std::size_t& count);
    // True when a read of `size` bytes would not wait for the network: they
    // are buffered, the socket has more, or the download has ended.
    bool readReady(std::size_t size) const;
    Status write(const char* in, std::size_t size);
    // Another transfer follows this one at once: its passive port is asked
    // for while this one is checked, saving EPSV's round trip.
    void anotherFollows() { followed_ = isOpen(); }
    // Ends the transfer and takes the final reply; the link is Ready again
    // (or Dropped, Broken) afterwards.
    Status close();
    // Drops the transfer without a word to the server, when the link goes too.
    void abandon();

private:
    Status start(const std::string& path, TransferDirection direction, std::uint64_t knownSize,
                 std::uint64_t& offset);
    bool refill();
    bool awaitData(IoResult::State want, Deadline deadline);
    Status waitForStream(IoResult::State want, Deadline deadline);
    bool takeReplyDuringTransfer(Deadline deadline);
    void abort();
    bool sendData(const char* data, std::size_t size);
    Status awaitFinalReply();
    Status finish();
    Status dataTimeout() const;
    Status closedEarly() const;
    Status endUnconfirmed() const;
    Status dataBroken(const Status& why) const;

    CommandChannel& channel_;

    TransferDirection direction_ = TransferDirection::Download;
    std::string command_;  // "RETR /a.txt", for messages
    std::unique_ptr<Stream> stream_;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool endOfData_ = false;
    bool followed_ = false;
    std::optional<Status> failure_;  // the first thing that went wrong
    std::optional<Reply> finalReply_;
    TransferCheck check_;
};

} // namespace ftp
