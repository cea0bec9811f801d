#include "ftp/ftp_session.h"

#include "ftp/control_connection.h"
#include "ftp/listing_parser.h"
#include "ftp/reply.h"
#include "ftp/socket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>
#include <string_view>

#include <poll.h>
#include <sys/socket.h>

namespace ftp {

namespace {

// Transfers move through buffers this large, so that 1024-byte calls from the
// windows rarely cost a system call. A download takes what the socket holds in
// few large reads; an upload gathers the calls into a buffer small enough to
// stay in the processor's cache (larger ones measured slower).
constexpr std::size_t receiveBufferSize = 256 * 1024;
constexpr std::size_t sendBufferSize = 64 * 1024;
// A listing is held whole in memory; a server that never stops sending one is cut off.
constexpr std::size_t maxListingSize = 64 * 1024 * 1024;
// QUIT is a courtesy: never wait long for its answer.
constexpr std::chrono::milliseconds quitWait{2000};

bool isControlFailure(const Status& status)
{
    return status.kind() == ErrorKind::Timeout || status.kind() == ErrorKind::Network
        || status.kind() == ErrorKind::Protocol;
}

Status refusal(std::string_view what, const Reply& reply)
{
    return Status::failure(ErrorKind::Refused, "The server refused " + std::string(what) + ": " + reply.text,
                           reply.code);
}

// A transfer that had begun and then ended without the server's success.
Status brokeOff(std::string_view what, const Reply& reply)
{
    return Status::failure(ErrorKind::Refused,
                           "The transfer broke off (" + std::string(what) + "); the server said: " + reply.text,
                           reply.code);
}

Status unexpected(std::string_view what, const Reply& reply)
{
    return Status::failure(ErrorKind::Protocol, "Unexpected answer to " + std::string(what) + ": " + reply.text,
                           reply.code);
}

// The feature names a FEAT reply lists, one per inner line (" MLST type*;size*;").
bool offersFeature(const std::string& featReply, std::string_view feature)
{
    std::size_t pos = featReply.find('\n');
    while (pos != std::string::npos) {
        const std::size_t begin = pos + 1;
        pos = featReply.find('\n', begin);
        std::string_view line = std::string_view(featReply).substr(
            begin, pos == std::string::npos ? std::string_view::npos : pos - begin);
        if (pos == std::string::npos)
            break;  // the closing "211 End" line
        while (!line.empty() && line.front() == ' ')
            line.remove_prefix(1);
        const std::string_view name = line.substr(0, line.find(' '));
        if (name.size() == feature.size()
            && std::equal(name.begin(), name.end(), feature.begin(), [](char a, char b) {
                   return (a >= 'a' && a <= 'z' ? char(a - 32) : a) == b;
               }))
            return true;
    }
    return false;
}

DateTime localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour, local.tm_min, local.tm_sec};
}

std::string withArgument(std::string_view verb, std::string_view argument)
{
    std::string line(verb);
    if (!argument.empty()) {
        line += ' ';
        line.append(argument);
    }
    return line;
}

Status checkPath(const std::string& path)
{
    if (path.empty())
        return Status::failure(ErrorKind::InvalidArgument, "No path was given");
    if (!isSafeArgument(path))
        return Status::failure(ErrorKind::InvalidArgument,
                               "The path contains a line break or NUL character and cannot be sent");
    return Status::success();
}

} // namespace

struct Session::Impl {
    SessionOptions options;
    ControlConnection control;
    bool loggedIn = false;
    bool broken = false;
    bool mlst = false;
    bool utf8 = false;
    bool epsvRefused = false;

    struct Transfer {
        bool open = false;
        TransferDirection direction = TransferDirection::Download;
        std::string command;  // "RETR /a.txt", for messages
        Socket data;
        std::unique_ptr<char[]> buffer;
        std::size_t begin = 0;
        std::size_t end = 0;
        bool endOfData = false;
        std::optional<Status> failure;  // the first thing that went wrong
        std::optional<Reply> finalReply;
    } transfer;

    explicit Impl(SessionOptions o) : options(o) {}

    Deadline replyDeadline() const { return deadlineAfter(options.timeout); }

    // A failure on the control connection leaves it out of step with the
    // server: drop it, and let every later call fail at once.
    Status controlFailed(Status status)
    {
        if (isControlFailure(status)) {
            broken = true;
            control.close();
            transfer.data.close();
        }
        return status;
    }

    Status ready() const
    {
        if (broken)
            return Status::failure(ErrorKind::WrongState, "The connection to the server was lost");
        if (!loggedIn || !control.isConnected())
            return Status::failure(ErrorKind::WrongState, "Not connected to a server");
        if (transfer.open)
            return Status::failure(ErrorKind::WrongState, "A file transfer is still open on this connection");
        return Status::success();
    }

    Status send(std::string_view line) { return controlFailed(control.send(line, replyDeadline())); }

    // Reads the next reply that is not preliminary (1xx), unless `keepPreliminary`.
    Status readReply(Reply& reply, bool keepPreliminary = false)
    {
        for (;;) {
            const Status status = controlFailed(control.readReply(reply, replyDeadline()));
            if (!status.ok())
                return status;
            if (reply.code == 421) {
                // "421 Service not available, closing control connection."
                broken = true;
                control.close();
                return Status::failure(ErrorKind::Network, "The server closed the connection: " + reply.text,
                                       reply.code);
            }
            if (keepPreliminary || classify(reply.code) != ReplyClass::Preliminary)
                return Status::success();
        }
    }

    Status command(std::string_view line, Reply& reply, bool keepPreliminary = false)
    {
        // A reply nobody asked for (a second answer to an abandoned transfer,
        // say) would otherwise be taken as the answer to this command.
        while (control.hasPendingInput()) {
            Reply stray;
            if (Status s = readReply(stray, true); !s.ok())
                return s;
        }
        Status status = send(line);
        if (status.ok())
            status = readReply(reply, keepPreliminary);
        return status;
    }

    // A command whose success is any 2xx.
    Status simpleCommand(std::string_view verb, const std::string& argument)
    {
        if (Status s = checkPath(argument); !s.ok())
            return s;
        if (Status s = ready(); !s.ok())
            return s;
        const std::string line = withArgument(verb, argument);
        Reply reply;
        if (Status s = command(line, reply); !s.ok())
            return s;
        return doneOrRefused(line, reply);
    }

    static Status doneOrRefused(std::string_view what, const Reply& reply)
    {
        switch (classify(reply.code)) {
        case ReplyClass::Done:
            return Status::success();
        case ReplyClass::TransientRefusal:
        case ReplyClass::PermanentRefusal:
            return refusal(what, reply);
        default:
            return unexpected(what, reply);
        }
    }

    Status logOn(const std::string& host, std::uint16_t port, const std::string& user,
                 const std::string& password)
    {
        if (Status s = controlFailed(control.connect(host, port, deadlineAfter(options.timeout))); !s.ok())
            return s;
        Reply reply;
        if (Status s = readReply(reply); !s.ok())
            return s;
        if (classify(reply.code) != ReplyClass::Done)
            return classify(reply.code) == ReplyClass::More ? unexpected("the connection", reply)
                                                            : refusal("the connection", reply);

        if (Status s = command(withArgument("USER", user), reply); !s.ok())
            return s;
        if (classify(reply.code) == ReplyClass::More && reply.code == 331) {
            if (Status s = command(withArgument("PASS", password), reply); !s.ok())
                return s;
        }
        if (classify(reply.code) != ReplyClass::Done) {
            // 332 asks for an account, which we have no way to give.
            return classify(reply.code) == ReplyClass::Invalid ? unexpected("the logon", reply)
                                                               : refusal("the logon", reply);
        }

        if (Status s = command("FEAT", reply); !s.ok())
            return s;
        if (classify(reply.code) == ReplyClass::Done) {
            mlst = offersFeature(reply.text, "MLST");
            const bool offersUtf8 = offersFeature(reply.text, "UTF8");
            if (offersUtf8) {
                if (Status s = command("OPTS UTF8 ON", reply); !s.ok())
                    return s;
                utf8 = classify(reply.code) == ReplyClass::Done;
            }
        }

        if (Status s = command("TYPE I", reply); !s.ok())
            return s;
        if (Status s = doneOrRefused("TYPE I", reply); !s.ok())
            return s;
        loggedIn = true;
        return Status::success();
    }

    // ------------------------------------------------------------ data connections

    Status connectData(std::uint16_t port, Socket& data)
    {
        // Whatever address the server named, the data goes to the host we are
        // talking to: a hostile reply must not point us at another machine.
        SocketAddress peer;
        if (!peerAddress(control.fd(), peer))
            return controlFailed(Status::failure(ErrorKind::Network, "The control connection was lost"));
        setPort(peer, port);
        const Status status = connectToAddress(peer, deadlineAfter(options.timeout), data);
        if (!status.ok())
            return Status::failure(status.kind(), "Cannot open the data connection: " + status.message());
        return status;
    }

    Status openDataConnection(Socket& data)
    {
        Reply reply;
        if (!epsvRefused) {
            if (Status s = command("EPSV", reply); !s.ok())
                return s;
            if (classify(reply.code) == ReplyClass::Done) {
                if (const auto port = parseEpsvPort(reply.text))
                    return connectData(*port, data);
            } else if (classify(reply.code) == ReplyClass::PermanentRefusal) {
                epsvRefused = true;  // it will not work next time either
            }
        }
        if (Status s = command("PASV", reply); !s.ok())
            return s;
        if (Status s = doneOrRefused("PASV", reply); !s.ok())
            return s;
        const auto port = parsePasvPort(reply.text);
        if (!port)
            return unexpected("PASV", reply);
        return connectData(*port, data);
    }

    // Sends a transfer command on an open data connection and reads its first
    // reply: 1xx starts the transfer, a 2xx may already end it.
    Status startTransfer(const std::string& line, std::optional<Reply>& finalReply)
    {
        Reply reply;
        if (Status s = command(line, reply, true); !s.ok())
            return s;
        switch (classify(reply.code)) {
        case ReplyClass::Preliminary:
            return Status::success();
        case ReplyClass::Done:
            finalReply = reply;
            return Status::success();
        case ReplyClass::TransientRefusal:
        case ReplyClass::PermanentRefusal:
            return refusal(line, reply);
        default:
            return unexpected(line, reply);
        }
    }

    // Waits for the data socket, watching the control connection too: a reply
    // arriving mid-transfer means the server has ended it.
    enum class DataWait { DataReady, ControlReady, TimedOut, Failed };
    DataWait waitData(short events, bool watchControl)
    {
        if (watchControl && control.hasBufferedInput())
            return DataWait::ControlReady;
        const Deadline deadline = deadlineAfter(options.timeout);
        for (;;) {
            pollfd entries[2] = {{transfer.data.fd(), events, 0}, {control.fd(), POLLIN, 0}};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return DataWait::TimedOut;
            const int ready = ::poll(entries, watchControl ? 2 : 1, int(left.count()) + 1);
            if (ready < 0) {
                if (errno == EINTR)
                    continue;
                return DataWait::Failed;
            }
            if (ready == 0)
                continue;
            if (entries[0].revents != 0)
                return DataWait::DataReady;
            if (watchControl && entries[1].revents != 0)
                return DataWait::ControlReady;
        }
    }

    // Reads the reply that arrived during a transfer. True when it ended the transfer.
    bool takeReplyDuringTransfer()
    {
        Reply reply;
        const Status status = readReply(reply, true);
        if (!status.ok()) {
            transfer.failure = status;
            return true;
        }
        if (classify(reply.code) == ReplyClass::Preliminary)
            return false;
        transfer.finalReply = reply;
        if (classify(reply.code) == ReplyClass::Done)
            return false;  // the data may still be on its way to us
        transfer.failure = brokeOff(transfer.command, reply);
        return true;
    }

    Status dataTimeout() const
    {
        return Status::failure(ErrorKind::Timeout, "No data moved on the data connection in time ("
                                                       + transfer.command + ")");
    }

    Status dataBroken(int error) const
    {
        return Status::failure(ErrorKind::Network,
                               "The data connection broke (" + transfer.command + "): " + describeError(error));
    }

    // Reads the end-of-transfer reply unless it is already in.
    Status awaitFinalReply()
    {
        if (transfer.finalReply)
            return Status::success();
        Reply reply;
        if (Status s = readReply(reply); !s.ok())
            return s;
        transfer.finalReply = reply;
        return Status::success();
    }

    // Download: refills the buffer; false at the end of the data or on failure.
    bool refill()
    {
        transfer.begin = transfer.end = 0;
        for (;;) {
            const long received = receiveSome(transfer.data.fd(), transfer.buffer.get(), receiveBufferSize);
            if (received > 0) {
                transfer.end = std::size_t(received);
                return true;
            }
            if (received == 0) {
                transfer.endOfData = true;
                transfer.data.close();
                // The stream ended: only the server's final word tells a whole file from a cut one.
                if (Status s = awaitFinalReply(); !s.ok())
                    transfer.failure = s;
                else if (classify(transfer.finalReply->code) != ReplyClass::Done)
                    transfer.failure = brokeOff(transfer.command, *transfer.finalReply);
                return false;
            }
            if (!wouldBlock(errno)) {
                transfer.failure = dataBroken(errno);
                return false;
            }
            if (!awaitData(POLLIN))
                return false;
        }
    }

    // Waits until the data socket is ready for `events`, taking any reply the
    // server sends meanwhile. False, with the failure recorded, when the
    // transfer cannot go on.
    bool awaitData(short events)
    {
        switch (waitData(events, !transfer.finalReply)) {
        case DataWait::DataReady:
            return true;
        case DataWait::ControlReady:
            if (takeReplyDuringTransfer())
                return false;
            if (events == POLLOUT && transfer.finalReply) {
                // "226" while we still have bytes to send: the server stopped early.
                transfer.failure = unexpected(transfer.command, *transfer.finalReply);
                return false;
            }
            return true;
        case DataWait::TimedOut:
            transfer.failure = dataTimeout();
            return false;
        case DataWait::Failed:
            transfer.failure = dataBroken(errno);
            return false;
        }
        return false;
    }

    // Upload: sends every byte or records why not.
    bool sendData(const char* data, std::size_t size)
    {
        while (size > 0) {
            const long sent = sendSome(transfer.data.fd(), data, size);
            if (sent > 0) {
                data += sent;
                size -= std::size_t(sent);
                continue;
            }
            if (sent < 0) {
                transfer.failure = dataBroken(errno);
                return false;
            }
            if (!awaitData(POLLOUT))
                return false;
        }
        return true;
    }

    Status finishTransfer()
    {
        const bool upload = transfer.direction == TransferDirection::Upload;
        bool cutShort = false;
        if (upload) {
            if (!transfer.failure && transfer.end > 0)
                (void)sendData(transfer.buffer.get(), transfer.end);
            if (transfer.data.valid())
                (void)::shutdown(transfer.data.fd(), SHUT_WR);
        } else {
            cutShort = !transfer.endOfData;
        }
        // Closing the data socket is the end of an upload, and for a download
        // left before its end it is the abort.
        transfer.data.close();

        Status result = Status::success();
        if (!broken) {
            if (Status s = awaitFinalReply(); !s.ok())
                result = s;
        }
        if (transfer.failure) {
            Status failure = *transfer.failure;
            // Prefer the server's own explanation ("451 Transfer aborted") when it gave one.
            if (failure.kind() != ErrorKind::Refused && transfer.finalReply
                && classify(transfer.finalReply->code) != ReplyClass::Done
                && classify(transfer.finalReply->code) != ReplyClass::Preliminary) {
                failure = Status::failure(ErrorKind::Refused,
                                          failure.message() + "; the server said: " + transfer.finalReply->text,
                                          transfer.finalReply->code);
            }
            return failure;
        }
        if (!result.ok())
            return result;
        if (cutShort) {
            return Status::failure(ErrorKind::Network,
                                   "The transfer was closed before the end of the file (" + transfer.command + ")");
        }
        return doneOrRefused(transfer.command, *transfer.finalReply);
    }

    void resetTransfer()
    {
        transfer.data.close();
        transfer = Transfer{};
    }

    // ------------------------------------------------------------ listing

    Status receiveListing(Socket& data, std::string& body)
    {
        char chunk[64 * 1024];
        for (;;) {
            const long received = receiveSome(data.fd(), chunk, sizeof chunk);
            if (received > 0) {
                if (body.size() + std::size_t(received) > maxListingSize)
                    return Status::failure(ErrorKind::Protocol, "The folder listing is too large");
                body.append(chunk, std::size_t(received));
                continue;
            }
            if (received == 0)
                return Status::success();
            if (!wouldBlock(errno))
                return Status::failure(ErrorKind::Network, "The data connection broke: " + describeError(errno));
            const WaitResult wait = waitFor(data.fd(), POLLIN, deadlineAfter(options.timeout));
            if (wait == WaitResult::TimedOut)
                return Status::failure(ErrorKind::Timeout, "The folder listing stopped arriving");
            if (wait == WaitResult::Failed)
                return Status::failure(ErrorKind::Network, "The data connection broke: " + describeError(errno));
        }
    }

    void closeSession(bool waitForQuit)
    {
        if (transfer.open) {
            // A reply to the open transfer is still due; QUIT would be answered out of step.
            resetTransfer();
            broken = true;
        }
        if (control.isConnected() && !broken) {
            const Deadline deadline = deadlineAfter(std::min(options.timeout, quitWait));
            if (control.send("QUIT", deadline).ok() && waitForQuit) {
                Reply reply;
                (void)control.readReply(reply, deadline);
            }
        }
        control.close();
        loggedIn = broken = mlst = utf8 = epsvRefused = false;
    }
};

Session::Session(SessionOptions options) : impl_(std::make_unique<Impl>(options)) {}

Session::~Session()
{
    impl_->closeSession(false);
}

Status Session::open(const std::string& host, std::uint16_t port, const std::string& user,
                     const std::string& password)
{
    if (!isSafeArgument(host) || !isSafeArgument(user) || !isSafeArgument(password)) {
        return Status::failure(ErrorKind::InvalidArgument,
                               "The host, user name or password contains a line break or NUL character");
    }
    if (isOpen())
        return Status::failure(ErrorKind::WrongState, "The session is already open");
    impl_->closeSession(false);
    const Status status = impl_->logOn(host, port, user, password);
    if (!status.ok()) {
        impl_->control.close();
        impl_->loggedIn = impl_->broken = impl_->mlst = impl_->utf8 = impl_->epsvRefused = false;
    }
    return status;
}

void Session::close()
{
    impl_->closeSession(true);
}

void Session::abandon()
{
    impl_->resetTransfer();
    impl_->control.close();
    impl_->loggedIn = impl_->broken = impl_->mlst = impl_->utf8 = impl_->epsvRefused = false;
}

bool Session::isOpen() const
{
    return impl_->loggedIn && !impl_->broken && impl_->control.isConnected();
}

Status Session::printWorkingDirectory(std::string& path)
{
    if (Status s = impl_->ready(); !s.ok())
        return s;
    Reply reply;
    if (Status s = impl_->command("PWD", reply); !s.ok())
        return s;
    if (Status s = Impl::doneOrRefused("PWD", reply); !s.ok())
        return s;
    const auto parsed = parsePwdPath(reply.text);
    if (!parsed)
        return unexpected("PWD", reply);
    path = *parsed;
    return Status::success();
}

Status Session::changeDirectory(const std::string& path)
{
    return impl_->simpleCommand("CWD", path);
}

Status Session::makeDirectory(const std::string& path)
{
    return impl_->simpleCommand("MKD", path);
}

Status Session::removeDirectory(const std::string& path)
{
    return impl_->simpleCommand("RMD", path);
}

Status Session::deleteFile(const std::string& path)
{
    return impl_->simpleCommand("DELE", path);
}

Status Session::rename(const std::string& from, const std::string& to)
{
    if (Status s = checkPath(from); !s.ok())
        return s;
    if (Status s = checkPath(to); !s.ok())
        return s;
    if (Status s = impl_->ready(); !s.ok())
        return s;
    const std::string renameFrom = withArgument("RNFR", from);
    Reply reply;
    if (Status s = impl_->command(renameFrom, reply); !s.ok())
        return s;
    if (classify(reply.code) != ReplyClass::More) {
        if (classify(reply.code) == ReplyClass::TransientRefusal || classify(reply.code) == ReplyClass::PermanentRefusal)
            return refusal(renameFrom, reply);
        return unexpected(renameFrom, reply);
    }
    const std::string renameTo = withArgument("RNTO", to);
    if (Status s = impl_->command(renameTo, reply); !s.ok())
        return s;
    return Impl::doneOrRefused(renameTo, reply);
}

Status Session::listFolder(const std::string& path, std::vector<ListEntry>& entries)
{
    entries.clear();
    if (!isSafeArgument(path))
        return checkPath(path);
    if (Status s = impl_->ready(); !s.ok())
        return s;
    Socket data;
    if (Status s = impl_->openDataConnection(data); !s.ok())
        return s;
    const std::string line = withArgument(impl_->mlst ? "MLSD" : "LIST", path);
    std::optional<Reply> finalReply;
    if (Status s = impl_->startTransfer(line, finalReply); !s.ok())
        return s;

    std::string body;
    const Status received = impl_->receiveListing(data, body);
    data.close();
    if (!finalReply && !impl_->broken) {
        Reply reply;
        if (Status s = impl_->readReply(reply); !s.ok())
            return received.ok() ? s : received;
        finalReply = reply;
    }
    if (!received.ok())
        return received;
    if (Status s = Impl::doneOrRefused(line, *finalReply); !s.ok())
        return s;
    entries = impl_->mlst ? parseMlsdListing(body) : parseListListing(body, localNow());
    return Status::success();
}

Status Session::openFile(const std::string& path, TransferDirection direction)
{
    if (Status s = checkPath(path); !s.ok())
        return s;
    if (Status s = impl_->ready(); !s.ok())
        return s;
    auto& transfer = impl_->transfer;
    Socket data;
    if (Status s = impl_->openDataConnection(data); !s.ok())
        return s;
    const std::string line = withArgument(direction == TransferDirection::Download ? "RETR" : "STOR", path);
    std::optional<Reply> finalReply;
    if (Status s = impl_->startTransfer(line, finalReply); !s.ok())
        return s;
    transfer = Impl::Transfer{};
    transfer.open = true;
    transfer.direction = direction;
    transfer.command = line;
    transfer.data = std::move(data);
    transfer.buffer = std::make_unique<char[]>(
        direction == TransferDirection::Download ? receiveBufferSize : sendBufferSize);
    transfer.finalReply = std::move(finalReply);
    return Status::success();
}

Status Session::read(void* buffer, std::size_t size, std::size_t& count)
{
    count = 0;
    auto& transfer = impl_->transfer;
    if (!transfer.open || transfer.direction != TransferDirection::Download)
        return Status::failure(ErrorKind::WrongState, "No download is open");
    char* out = static_cast<char*>(buffer);
    // Fill the whole request unless the file ends: a short count means the end.
    while (count < size) {
        if (transfer.failure)
            return *transfer.failure;
        if (transfer.begin == transfer.end) {
            if (transfer.endOfData)
                break;
            (void)impl_->refill();  // the next round sees new data, the end, or the failure
            continue;
        }
        const std::size_t take = std::min(size - count, transfer.end - transfer.begin);
        std::memcpy(out + count, transfer.buffer.get() + transfer.begin, take);
        transfer.begin += take;
        count += take;
    }
    return Status::success();
}

Status Session::write(const void* buffer, std::size_t size)
{
    auto& transfer = impl_->transfer;
    if (!transfer.open || transfer.direction != TransferDirection::Upload)
        return Status::failure(ErrorKind::WrongState, "No upload is open");
    if (transfer.failure)
        return *transfer.failure;
    const char* in = static_cast<const char*>(buffer);
    if (transfer.end == 0 && size >= sendBufferSize)
        return impl_->sendData(in, size) ? Status::success() : *transfer.failure;
    while (size > 0) {
        const std::size_t take = std::min(size, sendBufferSize - transfer.end);
        std::memcpy(transfer.buffer.get() + transfer.end, in, take);
        transfer.end += take;
        in += take;
        size -= take;
        if (transfer.end == sendBufferSize) {
            if (!impl_->sendData(transfer.buffer.get(), transfer.end))
                return *transfer.failure;
            transfer.end = 0;
        }
    }
    return Status::success();
}

Status Session::closeFile()
{
    if (!impl_->transfer.open)
        return Status::failure(ErrorKind::WrongState, "No file is open");
    const Status status = impl_->finishTransfer();
    impl_->resetTransfer();
    return status;
}

bool Session::isFileOpen() const
{
    return impl_->transfer.open;
}

bool Session::utf8Names() const
{
    return impl_->utf8;
}

bool Session::offersMlst() const
{
    return impl_->mlst;
}

} // namespace ftp
