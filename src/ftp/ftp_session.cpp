#include "ftp/ftp_session.h"

#include "ftp/control/command_channel.h"
#include "ftp/operations/data_channel.h"
#include "ftp/operations/file_transfer.h"
#include "ftp/operations/folder_listing.h"
#include "ftp/operations/logon.h"
#include "ftp/operations/path_presence.h"
#include "ftp/control/reply.h"
#include "ftp/operations/tls_logon.h"
#include "ftp/operations/working_folder.h"
#include "session/reconnect.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace ftp {

namespace {

// Commands a server may be asked twice without harm: they change nothing on
// it, or change only where the next one starts. A lost connection leaves the
// fate of the command in flight unknown; only these are sent again.
bool repeatable(const std::string& verb)
{
    for (const char* harmless : {"PWD", "CWD", "LIST", "MLSD", "MLST", "NLST", "SIZE", "MDTM", "EPSV", "PASV", "RETR",
                                 "TYPE", "FEAT", "NOOP", "STAT"}) {
        if (verb == harmless)
            return true;
    }
    return false;
}

} // namespace

struct Session::Impl {
    CommandChannel channel;
    FileTransfer transfer{channel};
    SessionEncryption encryption;

    // Where the session logged on, kept for logging on again after the
    // server dropped an idle connection. Empty once closed.
    struct Account {
        std::string host;
        std::uint16_t port = 0;
        Credentials credentials;
    };
    std::optional<Account> account;

    explicit Impl(SessionOptions options)
        : channel(options.timeout),
          encryption({options.tlsMode, options.tls, options.questions})
    {
    }

    // The standard steps with encryption first, before the credentials.
    std::vector<LogonStep> steps(const std::string& host, std::uint16_t port)
    {
        std::vector<LogonStep> list = logonSteps();
        encryption.addSteps(list, host, port);
        return list;
    }

    // What the link knew goes with it: the channel creates its memory anew
    // at connect. The transfer that held it goes too.
    Status logOn()
    {
        transfer.abandon();
        Status status = channel.connect(account->host, account->port);
        if (status.ok()) {
            LogonContext context{channel, account->host, account->credentials, {}};
            status = runLogon(context, steps(account->host, account->port));
        }
        if (!status.ok())
            channel.drop();
        return status;
    }

    // Runs one operation that is not part of a transfer, logging on again as
    // every engine does (session/reconnect.h). The link is lost when the
    // server dropped it (with "421" or silently) or we gave up on it (Broken:
    // a server that stalled or talked nonsense, often over one file, such as
    // a named pipe it cannot read); a command in flight when it dropped runs
    // again only if it did not run or can harmlessly run twice.
    Status perform(const std::function<Status()>& operation)
    {
        // Never inside a transfer: a transfer whose connection broke has failed.
        if (!account || transfer.isOpen())
            return operation();
        if (channel.state() == LinkState::Ready)
            (void)channel.dropStrayReplies(channel.replyDeadline());
        return session::runReconnecting(
            [&] {
                const LinkState state = channel.state();
                return state == LinkState::Dropped || state == LinkState::Closed || state == LinkState::Broken;
            },
            [&](const Status&) {
                return channel.state() == LinkState::Dropped
                       && (!channel.lastCommandMayHaveRun() || repeatable(channel.lastVerb()));
            },
            [&] { return logOn(); }, operation);
    }

    // Runs an operation on `paths` once every one of them can be sent. A
    // relative path starts from the user's folder, where the server is put
    // back first if a listing left it elsewhere.
    Status withPaths(std::initializer_list<std::string_view> paths, const std::function<Status()>& operation,
                     bool mayBeEmpty = false)
    {
        bool relative = false;
        for (const std::string_view path : paths) {
            if (Status s = checkPath(path, mayBeEmpty); !s.ok())
                return s;
            relative = relative || path.empty() || path.front() != '/';
        }
        return perform([&]() -> Status {
            if (relative && channel.state() == LinkState::Ready) {
                if (Status s = WorkingFolder(channel).returnHome(); !s.ok())
                    return s;
            }
            return operation();
        });
    }

    // A command whose success is any 2xx.
    Status simpleCommand(std::string_view verb, const std::string& argument)
    {
        return withPaths({argument}, [&]() -> Status {
            if (Status s = channel.ready(); !s.ok())
                return s;
            const std::string line = withArgument(verb, argument);
            return channel.command(line, requireDone(line));
        });
    }

    // What the server hears of the end: QUIT (waiting briefly for its answer
    // or not), or nothing at all, as when the process ends.
    // QUIT's answer is not awaited: it would cost a round trip and tell nothing.
    enum class Farewell { Quit, None };

    void closeSession(Farewell farewell)
    {
        account.reset();
        transfer.abandon();
        if (farewell == Farewell::None)
            channel.drop();
        else
            channel.close();
    }
};

Session::Session(SessionOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Session::~Session()
{
    impl_->closeSession(Impl::Farewell::Quit);
}

Status Session::open(const std::string& host, std::uint16_t port, const std::string& user,
                     const std::string& password)
{
    // Checked before connecting: a refused USER or PASS would leave a half logon behind.
    if (!isSafeArgument(host) || !isSafeArgument(user) || !isSafeArgument(password)) {
        return Status::failure(ErrorKind::InvalidArgument,
                               "The host, user name or password contains a line break or NUL character");
    }
    if (isOpen())
        return Status::failure(ErrorKind::WrongState, "The session is already open");
    impl_->closeSession(Impl::Farewell::Quit);
    impl_->encryption.forgetSession();
    impl_->account = Impl::Account{host, port, Credentials{user, password}};
    const Status status = impl_->logOn();
    if (!status.ok())
        impl_->closeSession(Impl::Farewell::Quit);
    return status;
}

void Session::close()
{
    impl_->closeSession(Impl::Farewell::Quit);
}

void Session::abandon()
{
    impl_->closeSession(Impl::Farewell::None);
}

bool Session::isOpen() const
{
    const LinkState state = impl_->channel.state();
    return state == LinkState::Ready || state == LinkState::Transferring;
}

Status Session::printWorkingDirectory(std::string& path)
{
    CommandChannel& channel = impl_->channel;
    return impl_->perform([&]() -> Status {
        if (Status s = channel.ready(); !s.ok())
            return s;
        return WorkingFolder(channel).print(path);
    });
}

Status Session::changeDirectory(const std::string& path)
{
    CommandChannel& channel = impl_->channel;
    return impl_->withPaths({path}, [&]() -> Status {
        if (Status s = channel.ready(); !s.ok())
            return s;
        return WorkingFolder(channel).change(path);
    });
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
    CommandChannel& channel = impl_->channel;
    return impl_->withPaths({from, to}, [&]() -> Status {
        if (Status s = channel.ready(); !s.ok())
            return s;
        const std::string renameFrom = withArgument("RNFR", from);
        Reply reply;
        if (Status s = channel.command(renameFrom, storeReply(reply)); !s.ok())
            return s;
        if (Status s = moreOrRefused(renameFrom, reply); !s.ok())
            return s;
        const std::string renameTo = withArgument("RNTO", to);
        return channel.command(renameTo, requireDone(renameTo));
    });
}

Status Session::presenceOf(const std::string& path, session::Presence& presence)
{
    presence = session::Presence::Unknown;
    CommandChannel& channel = impl_->channel;
    return impl_->withPaths({path}, [&]() -> Status {
        if (Status s = channel.ready(); !s.ok())
            return s;
        return ftp::presenceOf(channel, path, presence);
    });
}

Status Session::listFolder(const std::string& path, std::vector<ListEntry>& entries)
{
    entries.clear();
    return impl_->withPaths(
        {path}, [&] { return ftp::listFolder(impl_->channel, path, entries); }, true);
}

Status Session::openFile(const std::string& path, TransferDirection direction)
{
    // Only the opening: once the transfer runs, a broken connection is a failed transfer.
    return impl_->withPaths({path}, [&] { return impl_->transfer.open(path, direction); });
}

Status Session::resumeDownload(const std::string& path, std::uint64_t knownSize,
                               const std::optional<session::DateTime>&, std::uint64_t& offset,
                               session::HeldBytes& held)
{
    // A second try after logging on again asks for the same start.
    const std::uint64_t wanted = offset;
    if (Status s = impl_->withPaths({path}, [&] {
            offset = wanted;
            return impl_->transfer.resume(path, knownSize, offset);
        });
        !s.ok())
        return s;
    // The server's digest is of the whole file: ours takes in the held bytes
    // first. Held bytes that cannot all be read leave the size check alone.
    std::vector<char> buffer;
    for (std::uint64_t fed = 0; fed < offset && impl_->transfer.wantsHeld();) {
        buffer.resize(std::size_t(std::min<std::uint64_t>(offset - fed, 256 * 1024)));
        const std::size_t count = std::min(held.read(buffer.data(), buffer.size()), buffer.size());
        if (count == 0)
            break;
        impl_->transfer.addHeld(buffer.data(), count);
        fed += count;
    }
    return Status::success();
}

void Session::anotherTransferFollows()
{
    impl_->transfer.anotherFollows();
}

Status Session::read(void* buffer, std::size_t size, std::size_t& count)
{
    return impl_->transfer.read(static_cast<char*>(buffer), size, count);
}

bool Session::readReady(std::size_t size) const
{
    return impl_->transfer.readReady(size);
}

Status Session::write(const void* buffer, std::size_t size)
{
    return impl_->transfer.write(static_cast<const char*>(buffer), size);
}

Status Session::closeFile()
{
    return impl_->transfer.close();
}

bool Session::isFileOpen() const
{
    return impl_->transfer.isOpen();
}

std::string Session::encryption() const
{
    return isOpen() ? std::as_const(impl_->channel).link().encryption.description : std::string();
}

bool Session::utf8Names() const
{
    return std::as_const(impl_->channel).link().features.utf8;
}

bool Session::offersMlst() const
{
    return std::as_const(impl_->channel).link().features.mlst;
}

} // namespace ftp
