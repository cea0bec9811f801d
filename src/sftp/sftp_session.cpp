#include "sftp/sftp_session.h"

#include "sftp/file_download.h"
#include "sftp/file_upload.h"
#include "sftp/folder_reading.h"
#include "sftp/sftp_channel.h"
#include "sftp/ssh_link.h"

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

    struct Endpoint {
        std::string host;
        std::uint16_t port = 22;
        std::string user;
        std::string password;
    };

    SessionOptions options;
    std::optional<Endpoint> endpoint;
    SshLink link;
    Channel channel;
    std::string currentFolder = "/";
    std::string encryption;
    std::unique_ptr<Download> download;
    std::unique_ptr<Upload> upload;

    bool linked() const { return link.get() && channel.usable(); }

    void dropLink(bool politely)
    {
        download.reset();
        upload.reset();
        channel.drop();
        link.drop(politely);
        encryption.clear();
    }

    Status logOn()
    {
        dropLink(false);
        LinkOptions linkOptions{options.timeout, options.sshFolder, options.hostKeyStore, options.trustHostKey,
                                options.questions};
        const LinkTarget target{endpoint->host, endpoint->port, endpoint->user, endpoint->password};
        if (Status s = link.open(linkOptions, target); !s.ok())
            return s;
        ssh_session ssh = link.get();
        if (Status s = channel.open(ssh, options.timeout); !s.ok())
            return s;

        const auto named = [](const char* name) { return std::string(name ? name : "?"); };
        encryption = "SSH-2, " + named(ssh_get_kex_algo(ssh)) + ", " + named(ssh_get_cipher_out(ssh));
        // An AEAD cipher carries its own integrity; others name their MAC.
        if (const char* mac = ssh_get_hmac_out(ssh); mac && std::string(mac).rfind("aead", 0) != 0)
            encryption += std::string(", ") + mac;

        Response response;
        const std::uint32_t id = channel.nextId();
        if (Status s = channel.call(RequestWriter(MessageType::Realpath, id).addString("."), id, response); !s.ok())
            return s;
        if (response.type == MessageType::Name && !response.names.empty())
            currentFolder = response.names.front().name;
        return Status::success();
    }

    // Runs one operation outside a transfer. A link found broken (a server
    // that stalled or hung up) is logged on again first; an operation that
    // only reads runs once more when the link breaks under it.
    Status perform(const std::function<Status()>& operation, bool repeatable)
    {
        if (!endpoint)
            return Status::failure(ErrorKind::WrongState, "Not connected");
        if (download || upload)
            return Status::failure(ErrorKind::WrongState, "A file transfer is open");
        bool loggedOnAgain = false;
        if (!linked()) {
            if (Status s = logOn(); !s.ok()) {
                dropLink(false);
                return lostConnection(s);
            }
            loggedOnAgain = true;
        }
        Status status = operation();
        if (!status.ok() && !linked() && repeatable && !loggedOnAgain && status.kind() == ErrorKind::Network) {
            if (Status s = logOn(); !s.ok()) {
                dropLink(false);
                return status;
            }
            status = operation();
        }
        return status;
    }

    static Status lostConnection(const Status& logon)
    {
        return Status::failure(logon.kind(), "The connection to the server was lost, and logging on again failed: "
                                                 + logon.message());
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
                const std::uint32_t id = channel.nextId();
                RequestWriter request(type, id);
                request.addString(absolute(path));
                if (withAttributes)
                    request.addNoAttributes();
                Response response;
                if (Status s = channel.call(std::move(request), id, response); !s.ok())
                    return s;
                return statusOf(response, what + " \"" + path + "\"");
            },
            false);
    }

    Status openDownload(const std::string& path)
    {
        // The open and the size go out together: one round trip.
        const std::uint32_t openId = channel.nextId();
        const std::uint32_t statId = channel.nextId();
        Response opened, stat;
        RequestWriter open(MessageType::Open, openId);
        open.addString(path).add(openRead).addNoAttributes();
        RequestWriter ask(MessageType::Stat, statId);
        ask.addString(path);
        if (Status s = channel.callBoth(std::move(open), openId, std::move(ask), statId, opened, stat); !s.ok())
            return s;
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
        auto transfer = std::make_unique<Download>(channel, opened.text, size);
        if (Status s = transfer->start(); !s.ok())
            return s;
        download = std::move(transfer);
        return Status::success();
    }

    Status openUpload(const std::string& path)
    {
        const std::uint32_t id = channel.nextId();
        Response opened;
        if (Status s = channel.call(RequestWriter(MessageType::Open, id)
                                        .addString(path)
                                        .add(openWrite | openCreate | openTruncate)
                                        .addNoAttributes(),
                                    id, opened);
            !s.ok())
            return s;
        if (opened.type != MessageType::Handle)
            return statusOf(opened, "Creating \"" + path + "\"");
        upload = std::make_unique<Upload>(channel, opened.text);
        return Status::success();
    }

    void closeHandle(const std::string& handle)
    {
        const std::uint32_t id = channel.nextId();
        Response response;
        (void)channel.call(RequestWriter(MessageType::Close, id).addString(handle), id, response);
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
    impl_->endpoint = Impl::Endpoint{host, port, user, password};
    const Status status = impl_->logOn();
    if (!status.ok()) {
        impl_->dropLink(false);
        impl_->endpoint.reset();
        // A refusal may well come from what the config chose (a user, a key, a port).
        if (const std::string& notes = impl_->link.notes(); !notes.empty())
            return Status::failure(status.kind(), status.message() + "\n" + notes, status.replyCode());
    }
    return status;
}

void Session::close()
{
    impl_->endpoint.reset();
    impl_->dropLink(impl_->linked());
}

void Session::abandon()
{
    impl_->endpoint.reset();
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
            const std::uint32_t realId = channel.nextId();
            const std::uint32_t statId = channel.nextId();
            const std::string wanted = impl_->absolute(path);
            Response real, stat;
            RequestWriter resolve(MessageType::Realpath, realId);
            resolve.addString(wanted);
            RequestWriter ask(MessageType::Stat, statId);
            ask.addString(wanted);
            if (Status s = channel.callBoth(std::move(resolve), realId, std::move(ask), statId, real, stat); !s.ok())
                return s;
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
            const std::uint32_t id = channel.nextId();
            Response response;
            if (Status s = channel.call(RequestWriter(MessageType::Rename, id)
                                            .addString(impl_->absolute(from))
                                            .addString(impl_->absolute(to)),
                                        id, response);
                !s.ok())
                return s;
            return statusOf(response, "Renaming \"" + from + "\"");
        },
        false);
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
    return impl_->perform(
        [&] {
            const std::string where = impl_->absolute(path);
            return direction == TransferDirection::Download ? impl_->openDownload(where) : impl_->openUpload(where);
        },
        direction == TransferDirection::Download);
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
    if (impl_->download)
        status = impl_->download->finish();
    else if (impl_->upload)
        status = impl_->upload->finish();
    impl_->download.reset();
    impl_->upload.reset();
    return status;
}

bool Session::isFileOpen() const { return impl_->download || impl_->upload; }

std::string Session::encryption() const { return impl_->encryption; }

std::string Session::logonNotes() const { return impl_->link.notes(); }

} // namespace sftp
