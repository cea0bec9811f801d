#include "sftp/sftp_session.h"

#include "sftp/file_download.h"
#include "sftp/file_upload.h"
#include "sftp/folder_reading.h"
#include "sftp/sftp_channel.h"
#include "sftp/ssh_link.h"
#include "session/reconnect.h"

#include <libssh/libssh.h>

#include <cstdlib>
#include <functional>
#include <optional>

#include <pwd.h>
#include <unistd.h>

namespace sftp {
namespace {

using session::ErrorKind;

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
        return user->pw_dir;
    return {};
}

bool carriesNul(const std::string& text) { return text.find('\0') != std::string::npos; }

Status noNul(const std::string& path)
{
    if (carriesNul(path))
        return Status::failure(ErrorKind::InvalidArgument, "The path contains a NUL character");
    return Status::success();
}

} // namespace

struct Session::Impl {
    explicit Impl(SessionOptions opts) : options(std::move(opts))
    {
        if (options.sshFolder.empty())
            options.sshFolder = homeFolder() + "/.ssh";
    }

    // Where and as whom the session logged on, kept for logging on again.
    struct Account {
        std::string host;
        std::uint16_t port = 22;
        std::string user;
        std::string password;
    };

    SessionOptions options;
    std::optional<Account> account;
    SshLink link;
    Channel channel;
    std::string currentFolder = "/";
    std::string encryption;
    std::unique_ptr<Download> download;
    std::unique_ptr<Upload> upload;
    // Counts logons: what was asked on an earlier link is never waited for.
    unsigned linkNumber = 0;

    // A transfer's OPEN and STAT, asked before its turn: those of the next
    // file go out with the CLOSE of the one before, in one round trip. An
    // upload's file is opened without emptying it (CREAT, no TRUNC) after an
    // LSTAT: should the batch stop instead, a file that was there stays
    // untouched and one that was not is removed again.
    struct AskedOpen {
        std::string path;
        TransferDirection direction = TransferDirection::Download;
        unsigned link = 0;
        std::uint32_t openId = 0;
        std::uint32_t statId = 0;
        Response opened;
        Response stat;
    };
    struct Next {
        std::string path;
        TransferDirection direction;
    };
    std::optional<Next> next;  // the transfer the window said comes next
    std::unique_ptr<AskedOpen> prepared;

    bool linked() const { return link.get() && channel.usable(); }

    void dropLink(bool politely)
    {
        download.reset();
        upload.reset();
        prepared.reset();
        next.reset();
        if (politely)
            channel.sendEnd();
        channel.drop();
        link.drop(politely);
        encryption.clear();
    }

    Status logOn()
    {
        dropLink(false);
        LinkOptions linkOptions{options.timeout, options.sshFolder, options.hostKeyStore, options.questions};
        const LinkTarget target{account->host, account->port, account->user, account->password};
        if (Status s = link.open(linkOptions, target); !s.ok())
            return s;
        ssh_session ssh = link.get();
        if (Status s = channel.open(ssh, options.timeout); !s.ok())
            return s;
        ++linkNumber;

        const auto named = [](const char* name) { return std::string(name ? name : "?"); };
        encryption = "SSH-2, " + named(ssh_get_kex_algo(ssh)) + ", " + named(ssh_get_cipher_out(ssh));
        // An AEAD cipher carries its own integrity; others name their MAC.
        if (const char* mac = ssh_get_hmac_out(ssh); mac && std::string(mac).rfind("aead", 0) != 0)
            encryption += std::string(", ") + mac;

        Response response;
        if (Status s = channel.call(RequestWriter(MessageType::Realpath, channel.nextId()).addString("."), response);
            !s.ok())
            return s;
        if (response.type == MessageType::Name && !response.names.empty())
            currentFolder = response.names.front().name;
        return Status::success();
    }

    // Runs one operation outside a transfer, logging on again as every
    // engine does (session/reconnect.h): a link found broken (a server that
    // stalled or hung up) first; an operation that only reads once more when
    // the link breaks under it.
    // `keepPrepared`: the operation takes up the download asked before its turn.
    Status perform(const std::function<Status()>& operation, bool repeatable, bool keepPrepared = false)
    {
        if (!account)
            return Status::failure(ErrorKind::WrongState, "Not connected");
        if (download || upload)
            return Status::failure(ErrorKind::WrongState, "A file transfer is open");
        if (!keepPrepared)
            dropPrepared();
        return session::runReconnecting(
            [&] { return !linked(); },
            [&](const Status& failure) { return repeatable && !linked() && failure.kind() == ErrorKind::Network; },
            [&] {
                Status status = logOn();
                if (!status.ok())
                    dropLink(false);
                return status;
            },
            operation);
    }

    std::string absolute(const std::string& path) const
    {
        if (!path.empty() && path.front() == '/')
            return path;
        return currentFolder + (currentFolder.back() == '/' ? "" : "/") + path;
    }

    // One request on a path whose answer is a plain status.
    Status pathRequest(MessageType type, const std::string& path, const std::string& what, bool withAttributes)
    {
        if (Status s = noNul(path); !s.ok())
            return s;
        return perform(
            [&] {
                RequestWriter request(type, channel.nextId());
                request.addString(absolute(path));
                if (withAttributes)
                    request.addNoAttributes();
                Response response;
                if (Status s = channel.call(std::move(request), response); !s.ok())
                    return s;
                return statusOf(response, what + " \"" + path + "\"");
            },
            false);
    }

    // What a resumed download expects of the file: the size and date it was
    // listed with. `offset` turns 0 when the file is no longer that one.
    struct Continuation {
        std::uint64_t knownSize = 0;
        std::optional<session::DateTime> knownModified;
        std::uint64_t& offset;
    };

    std::unique_ptr<AskedOpen> askOpen(const std::string& path, TransferDirection direction)
    {
        auto asked = std::make_unique<AskedOpen>();
        asked->path = path;
        asked->direction = direction;
        asked->link = linkNumber;
        AskedOpen& into = *asked;
        const auto askStat = [&](MessageType type) {
            asked->statId = channel.ask(RequestWriter(type, channel.nextId()).addString(path),
                                        [&into](Response& answer) { into.stat = std::move(answer); });
        };
        // The server takes requests in order: the LSTAT sees what stood
        // there before the OPEN could create anything.
        if (direction == TransferDirection::Upload)
            askStat(MessageType::Lstat);
        const std::uint32_t flags = direction == TransferDirection::Upload ? openWrite | openCreate : openRead;
        asked->openId = channel.ask(
            RequestWriter(MessageType::Open, channel.nextId()).addString(path).add(flags).addNoAttributes(),
            [&into](Response& answer) { into.opened = std::move(answer); });
        if (direction == TransferDirection::Download)
            askStat(MessageType::Stat);
        return asked;
    }

    // The asked open of `path` for `direction`, if that is the one prepared;
    // any other prepared one is given up.
    std::unique_ptr<AskedOpen> takePrepared(const std::string& path, TransferDirection direction)
    {
        std::unique_ptr<AskedOpen> asked;
        if (prepared && prepared->path == path && prepared->direction == direction && prepared->link == linkNumber)
            asked = std::move(prepared);
        dropPrepared();
        return asked;
    }

    // Waits for both answers of an asked open.
    Status awaitAsked(AskedOpen& asked)
    {
        Status waited = channel.waitFor(asked.openId);
        if (waited.ok())
            waited = channel.waitFor(asked.statId);
        channel.forget(asked.openId);
        channel.forget(asked.statId);
        return waited;
    }

    // Gives up a transfer asked before its turn that did not come: its
    // file, if opened, is closed without a wait; an upload's file that did
    // not stand there before is removed.
    void dropPrepared()
    {
        if (!prepared)
            return;
        const std::unique_ptr<AskedOpen> asked = std::move(prepared);
        if (asked->link != linkNumber || !channel.usable())
            return;
        if (asked->direction == TransferDirection::Download) {
            channel.forget(asked->statId);
            if (channel.waitFor(asked->openId).ok() && asked->opened.type == MessageType::Handle) {
                channel.askClose(asked->opened.text);
                (void)channel.flush();
            }
            channel.forget(asked->openId);
            return;
        }
        if (!awaitAsked(*asked).ok() || asked->opened.type != MessageType::Handle)
            return;
        channel.askClose(asked->opened.text);
        if (asked->stat.type == MessageType::Status && asked->stat.statusCode == StatusNoSuchFile)
            channel.ask(RequestWriter(MessageType::Remove, channel.nextId()).addString(asked->path), {});
        (void)channel.flush();
    }

    Status openDownload(const std::string& path, Continuation* continuation = nullptr)
    {
        // The open and the size go out together: one round trip, none when
        // they went out with the close of the file before.
        std::unique_ptr<AskedOpen> asked = takePrepared(path, TransferDirection::Download);
        if (!asked)
            asked = askOpen(path, TransferDirection::Download);
        if (Status waited = awaitAsked(*asked); !waited.ok())
            return waited;
        const Response& opened = asked->opened;
        const Response& stat = asked->stat;
        if (opened.type != MessageType::Handle)
            return statusOf(opened, "Opening \"" + path + "\"");
        std::optional<std::uint64_t> size;
        if (stat.type == MessageType::Attrs) {
            if (stat.attributes.isFolder()) {
                closeHandle(opened.text);
                return Status::failure(ErrorKind::Refused, "\"" + path + "\" is a folder", StatusFailure);
            }
            size = stat.attributes.size;
        }
        std::uint64_t from = 0;
        if (continuation) {
            // The part already held is of this very file only when neither its
            // size nor its date changed; a file without a date is not trusted.
            const bool unchanged = stat.type == MessageType::Attrs && size == continuation->knownSize
                                   && continuation->knownModified
                                   && localTime(stat.attributes.modified) == continuation->knownModified
                                   && continuation->offset <= continuation->knownSize;
            if (!unchanged)
                continuation->offset = 0;
            from = continuation->offset;
        }
        auto transfer = std::make_unique<Download>(channel, opened.text, size, from);
        if (Status s = transfer->start(); !s.ok())
            return s;
        download = std::move(transfer);
        return Status::success();
    }

    Status openUpload(const std::string& path)
    {
        if (std::unique_ptr<AskedOpen> asked = takePrepared(path, TransferDirection::Upload)) {
            if (Status waited = awaitAsked(*asked); !waited.ok())
                return waited;
            if (asked->opened.type != MessageType::Handle)
                return statusOf(asked->opened, "Creating \"" + path + "\"");
            // Written over from the start; what lay past the new end is cut
            // off at the close. Only a plain file or nothing is taken up
            // so: past anything else (a link) the file is opened anew,
            // emptied.
            const Response& before = asked->stat;
            const bool absent = before.type == MessageType::Status && before.statusCode == StatusNoSuchFile;
            const bool plainFile = before.type == MessageType::Attrs && before.attributes.size
                                   && before.attributes.permissions
                                   && (*before.attributes.permissions & 0170000) == 0100000;
            if (absent || plainFile) {
                upload = std::make_unique<Upload>(channel, asked->opened.text,
                                                  plainFile ? *before.attributes.size : 0);
                return Status::success();
            }
            closeHandle(asked->opened.text);
        }
        Response opened;
        if (Status s = channel.call(RequestWriter(MessageType::Open, channel.nextId())
                                        .addString(path)
                                        .add(openWrite | openCreate | openTruncate)
                                        .addNoAttributes(),
                                    opened);
            !s.ok())
            return s;
        if (opened.type != MessageType::Handle)
            return statusOf(opened, "Creating \"" + path + "\"");
        upload = std::make_unique<Upload>(channel, opened.text);
        return Status::success();
    }

    void closeHandle(const std::string& handle)
    {
        (void)channel.waitFor(channel.askClose(handle));
    }
};

Session::Session(SessionOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

// Also runs at the end of the process, after OpenSSL may have cleaned up:
// nothing is sent, so nothing needs its random numbers or ciphers.
Session::~Session() { impl_->dropLink(false); }

Status Session::open(const std::string& host, std::uint16_t port, const std::string& user,
                     const std::string& password)
{
    if (carriesNul(host) || carriesNul(user) || carriesNul(password))
        return Status::failure(ErrorKind::InvalidArgument, "The host, user name or password contains a NUL character");
    if (isOpen())
        return Status::failure(ErrorKind::WrongState, "The session is already open");
    impl_->account = Impl::Account{host, port, user, password};
    const Status status = impl_->logOn();
    if (!status.ok()) {
        impl_->dropLink(false);
        impl_->account.reset();
        // A refusal may well come from what the config chose (a user, a key, a port).
        if (const std::string& notes = impl_->link.notes(); !notes.empty())
            return Status::failure(status.kind(), status.message() + "\n" + notes, status.replyCode());
    }
    return status;
}

void Session::close()
{
    if (!impl_->download && !impl_->upload)
        impl_->dropPrepared();
    impl_->account.reset();
    impl_->dropLink(impl_->linked());
}

void Session::abandon()
{
    impl_->account.reset();
    impl_->dropLink(false);
}

bool Session::isOpen() const { return impl_->linked(); }

Status Session::printWorkingDirectory(std::string& path)
{
    return impl_->perform(
        [&] {
            path = impl_->currentFolder;
            return Status::success();
        },
        true);
}

Status Session::changeDirectory(const std::string& path)
{
    if (Status s = noNul(path); !s.ok())
        return s;
    return impl_->perform(
        [&]() -> Status {
            Channel& channel = impl_->channel;
            const std::string wanted = impl_->absolute(path);
            Response real, stat;
            const std::uint32_t realId = channel.ask(
                RequestWriter(MessageType::Realpath, channel.nextId()).addString(wanted),
                [&real](Response& answer) { real = std::move(answer); });
            const std::uint32_t statId = channel.ask(
                RequestWriter(MessageType::Stat, channel.nextId()).addString(wanted),
                [&stat](Response& answer) { stat = std::move(answer); });
            Status waited = channel.waitFor(realId);
            if (waited.ok())
                waited = channel.waitFor(statId);
            channel.forget(realId);
            channel.forget(statId);
            if (!waited.ok())
                return waited;
            if (stat.type != MessageType::Attrs)
                return statusOf(stat, "Changing to \"" + path + "\"");
            if (!stat.attributes.isFolder())
                return Status::failure(ErrorKind::Refused, "\"" + path + "\" is not a folder", StatusFailure);
            impl_->currentFolder = real.type == MessageType::Name && !real.names.empty() ? real.names.front().name
                                                                                          : wanted;
            return Status::success();
        },
        true);
}

Status Session::makeDirectory(const std::string& path)
{
    return impl_->pathRequest(MessageType::Mkdir, path, "Creating the folder", true);
}

Status Session::removeDirectory(const std::string& path)
{
    return impl_->pathRequest(MessageType::Rmdir, path, "Removing the folder", false);
}

Status Session::deleteFile(const std::string& path)
{
    return impl_->pathRequest(MessageType::Remove, path, "Deleting", false);
}

Status Session::rename(const std::string& from, const std::string& to)
{
    if (carriesNul(from) || carriesNul(to))
        return Status::failure(ErrorKind::InvalidArgument, "The path contains a NUL character");
    return impl_->perform(
        [&] {
            Channel& channel = impl_->channel;
            Response response;
            if (Status s = channel.call(RequestWriter(MessageType::Rename, channel.nextId())
                                            .addString(impl_->absolute(from))
                                            .addString(impl_->absolute(to)),
                                        response);
                !s.ok())
                return s;
            return statusOf(response, "Renaming \"" + from + "\"");
        },
        false);
}

Status Session::presenceOf(const std::string& path, session::Presence& presence)
{
    presence = session::Presence::Unknown;
    if (Status s = noNul(path); !s.ok())
        return s;
    return impl_->perform(
        [&] {
            Channel& channel = impl_->channel;
            Response response;
            if (Status s = channel.call(
                    RequestWriter(MessageType::Lstat, channel.nextId()).addString(impl_->absolute(path)), response);
                !s.ok())
                return s;
            if (response.type == MessageType::Attrs)
                presence = session::Presence::Present;
            else if (response.type == MessageType::Status && response.statusCode == StatusNoSuchFile)
                presence = session::Presence::Absent;
            return Status::success();
        },
        true);
}

Status Session::listFolder(const std::string& path, std::vector<ListEntry>& entries)
{
    if (Status s = noNul(path); !s.ok())
        return s;
    return impl_->perform(
        [&] { return readFolder(impl_->channel, impl_->absolute(path), entries, impl_->options.listingLimits); },
        true);
}

Status Session::openFile(const std::string& path, TransferDirection direction)
{
    if (Status s = noNul(path); !s.ok())
        return s;
    // A transfer asked for already is taken up, not given up, on the way in.
    const bool asked = impl_->prepared && impl_->prepared->direction == direction
                       && impl_->prepared->path == impl_->absolute(path);
    return impl_->perform(
        [&] {
            const std::string where = impl_->absolute(path);
            return direction == TransferDirection::Download ? impl_->openDownload(where) : impl_->openUpload(where);
        },
        direction == TransferDirection::Download, asked);
}

Status Session::resumeDownload(const std::string& path, std::uint64_t knownSize,
                               const std::optional<session::DateTime>& knownModified, std::uint64_t& offset,
                               session::HeldBytes&)
{
    if (Status s = noNul(path); !s.ok())
        return s;
    // A second try after logging on again asks for the same start.
    const std::uint64_t wanted = offset;
    return impl_->perform(
        [&] {
            offset = wanted;
            Impl::Continuation continuation{knownSize, knownModified, offset};
            return impl_->openDownload(impl_->absolute(path), &continuation);
        },
        true);
}

Status Session::read(void* buffer, std::size_t size, std::size_t& count)
{
    count = 0;
    if (!impl_->download)
        return Status::failure(ErrorKind::WrongState, "No file is open for reading");
    return impl_->download->read(buffer, size, count);
}

bool Session::readReady(std::size_t size) const { return !impl_->download || impl_->download->ready(size); }

Status Session::write(const void* buffer, std::size_t size)
{
    if (!impl_->upload)
        return Status::failure(ErrorKind::WrongState, "No file is open for writing");
    return impl_->upload->write(buffer, size);
}

Status Session::closeFile()
{
    Status status = Status::success();
    // The next file's open goes out with this one's close.
    const auto askNext = [this] {
        if (impl_->next)
            impl_->prepared = impl_->askOpen(impl_->next->path, impl_->next->direction);
    };
    if (impl_->download)
        status = impl_->download->finish(askNext);
    else if (impl_->upload)
        status = impl_->upload->finish(askNext);
    impl_->download.reset();
    impl_->upload.reset();
    impl_->next.reset();
    return status;
}

void Session::nextTransferIs(const std::string& path, TransferDirection direction)
{
    // Only the same way as the open file: a download after an upload, or
    // the other way round, is rare in a batch.
    const bool sameWay = direction == TransferDirection::Download ? bool(impl_->download) : bool(impl_->upload);
    if (sameWay && !carriesNul(path))
        impl_->next = Impl::Next{impl_->absolute(path), direction};
}

bool Session::isFileOpen() const { return impl_->download || impl_->upload; }

std::string Session::encryption() const { return impl_->encryption; }

std::string Session::logonNotes() const { return impl_->link.notes(); }

} // namespace sftp
