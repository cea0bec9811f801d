#include "main_window/ftp_client.h"

#include "engine_choice/engine_choice.h"

#include <memory>
#include <new>
#include <unordered_map>
#include <variant>
#include <vector>

namespace {

struct InternetObject {};

struct ConnectionObject {
    HINTERNET internet = 0;
    std::unique_ptr<session::RemoteSession> session;
    HINTERNET openFile = 0;  // the one remote file open on this connection
    // Who answers the engine's questions, which it may ask again on logging on anew.
    const session::Questions* questions = nullptr;
};

struct FindObject {
    HINTERNET connection = 0;
    std::vector<session::ListEntry> entries;
    std::size_t next = 0;
};

struct FileObject {
    HINTERNET connection = 0;
    // The owning connection's session, held here because every block of a
    // transfer goes through it; the connection closes its file before it goes.
    session::RemoteSession* session = nullptr;
};

using Object = std::variant<InternetObject, ConnectionObject, FindObject, FileObject>;

// All windows run on the GUI thread, so one plain table serves the process.
std::unordered_map<HINTERNET, Object> handles;
HINTERNET lastHandle = 0;
std::chrono::milliseconds defaultTimeout{30000};
session::Questions* questions = &session::nobodyToAsk();
std::string trustedAuthorities;
std::string hostKeyStore;
std::string sshFolder;
std::string lastError;
std::uint32_t lastErrorCode = 0;
bool lastFailureBrokeOff = false;

void fail(std::string text, std::uint32_t code = ERROR_INTERNET_EXTENDED_ERROR)
{
    lastError = std::move(text);
    lastErrorCode = code;
}

HINTERNET store(Object object)
{
    do {
        ++lastHandle;
    } while (lastHandle == 0 || handles.count(lastHandle));
    handles.emplace(lastHandle, std::move(object));
    return lastHandle;
}

// The object behind `handle` when it is of kind T, without a word otherwise.
template <typename T>
T* lookUp(HINTERNET handle)
{
    const auto it = handles.find(handle);
    return it == handles.end() ? nullptr : std::get_if<T>(&it->second);
}

template <typename T>
T* find(HINTERNET handle)
{
    const auto it = handles.find(handle);
    if (it == handles.end()) {
        fail("Invalid handle");
        return nullptr;
    }
    T* object = std::get_if<T>(&it->second);
    if (!object)
        fail("The handle is of the wrong kind for this operation");
    return object;
}

// A connection's session. It may have found its link dropped: its next
// operation logs on again, so a lost link is not refused here.
session::RemoteSession* connectedSession(HINTERNET connection)
{
    auto* object = find<ConnectionObject>(connection);
    return object ? object->session.get() : nullptr;
}

// Runs one engine call and keeps the reason of a failure. Running out of
// memory (a server's listing of millions of entries, say) fails the call
// like any other trouble, instead of ending the program.
template <typename Call>
bool succeeded(session::RemoteSession& session, Call&& call)
{
    session::Status status;
    try {
        status = call();
    } catch (const std::bad_alloc&) {
        status = session::Status::failure(session::ErrorKind::Protocol, "There is not enough memory for the server's answer");
    }
    lastFailureBrokeOff = status.kind() == session::ErrorKind::Network
                          || status.kind() == session::ErrorKind::Timeout
                          || status.kind() == session::ErrorKind::Refused;
    if (!status.ok()) {
        if (status.kind() == session::ErrorKind::Timeout)
            fail(status.message(), ERROR_INTERNET_TIMEOUT);
        else
            fail(status.message(), session.isOpen() ? ERROR_INTERNET_EXTENDED_ERROR : ERROR_INTERNET_CONNECTION_ABORTED);
    }
    return status.ok();
}

// Each entry is handed out once, so its name moves into the record.
void fillRecord(session::ListEntry& entry, WIN32_FIND_DATAA& record)
{
    record.dwFileAttributes = entry.isFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    if (entry.isLink)
        record.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    // An unknown date becomes the all-zero time the list shows as an empty
    // cell; an unknown size is shown as 0.
    record.ftLastWriteTime = entry.modified.value_or(SYSTEMTIME{});
    record.fileSize = entry.size.value_or(0);
    record.cFileName = std::move(entry.name);
}

// "/pub/*.*" names the folder "/pub"; a pattern without a mask names a folder itself.
std::string folderOfPattern(const std::string& pattern)
{
    std::string folder = pattern;
    const auto slash = folder.rfind('/');
    const std::string last = slash == std::string::npos ? folder : folder.substr(slash + 1);
    if (last.find_first_of("*?") != std::string::npos)
        folder.erase(slash == std::string::npos ? 0 : slash + 1);
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder.empty() ? "/" : folder;
}

bool closeFile(HINTERNET handle)
{
    lastFailureBrokeOff = false;
    auto* file = find<FileObject>(handle);
    if (!file)
        return false;
    const HINTERNET connection = file->connection;
    handles.erase(handle);
    auto* owner = find<ConnectionObject>(connection);
    if (!owner)
        return false;
    owner->openFile = 0;
    return succeeded(*owner->session, [&] { return owner->session->closeFile(); });
}

// `quietly` drops the connection without a word to the server.
void closeConnection(HINTERNET handle, bool quietly = false)
{
    auto* connection = find<ConnectionObject>(handle);
    if (!connection)
        return;
    if (connection->openFile) {
        if (quietly)
            handles.erase(connection->openFile);
        else
            (void)closeFile(connection->openFile);
    }
    for (auto it = handles.begin(); it != handles.end();) {
        const auto* findObject = std::get_if<FindObject>(&it->second);
        it = findObject && findObject->connection == handle ? handles.erase(it) : std::next(it);
    }
    connection = find<ConnectionObject>(handle);
    if (quietly)
        connection->session->abandon();
    else
        connection->session->close();
    handles.erase(handle);
}

void closeInternet(HINTERNET handle, bool quietly)
{
    std::vector<HINTERNET> owned;
    for (const auto& [key, object] : handles) {
        const auto* connection = std::get_if<ConnectionObject>(&object);
        if (connection && connection->internet == handle)
            owned.push_back(key);
    }
    for (HINTERNET connection : owned)
        closeConnection(connection, quietly);
    handles.erase(handle);
}

} // namespace

HINTERNET InternetOpenA(const std::string&, std::uint32_t, const std::string&, const std::string&,
                        std::uint32_t)
{
    return store(InternetObject{});
}

HINTERNET InternetConnectA(HINTERNET internet, const std::string& host, std::uint16_t port,
                           const std::string& user, const std::string& password, std::uint32_t service,
                           std::uint32_t flags, std::uintptr_t context)
{
    return InternetConnectA(internet, engine_choice::parseEndpoint(host, port), user, password, service, flags,
                            context);
}

HINTERNET InternetConnectA(HINTERNET internet, const engine_choice::Endpoint& endpoint, const std::string& user,
                           const std::string& password, std::uint32_t, std::uint32_t, std::uintptr_t)
{
    if (!find<InternetObject>(internet))
        return 0;
    engine_choice::ConnectOptions options;
    options.timeout = defaultTimeout;
    options.trustedAuthorities = trustedAuthorities;
    options.questions = *questions;
    options.hostKeyStore = hostKeyStore;
    options.sshFolder = sshFolder;
    auto session = engine_choice::createSession(endpoint.protocol, std::move(options));
    if (!session) {
        fail("This build cannot speak the protocol asked for in the host name");
        return 0;
    }
    if (!succeeded(*session, [&] {
            return session->open(endpoint.host, endpoint.port, user, password);
        }))
        return 0;
    return store(ConnectionObject{internet, std::move(session), 0, questions});
}

bool FtpGetCurrentDirectoryA(HINTERNET connection, std::string& directory)
{
    auto* session = connectedSession(connection);
    return session && succeeded(*session, [&] { return session->printWorkingDirectory(directory); });
}

bool FtpSetCurrentDirectoryA(HINTERNET connection, const std::string& directory)
{
    auto* session = connectedSession(connection);
    return session && succeeded(*session, [&] { return session->changeDirectory(directory); });
}

HINTERNET FtpFindFirstFileA(HINTERNET connection, const std::string& pattern,
                            WIN32_FIND_DATAA& record, std::uint32_t, std::uintptr_t)
{
    auto* session = connectedSession(connection);
    if (!session)
        return 0;
    FindObject findObject{connection, {}, 0};
    if (!succeeded(*session, [&] { return session->listFolder(folderOfPattern(pattern), findObject.entries); }))
        return 0;
    if (findObject.entries.empty()) {
        fail("No more files", ERROR_NO_MORE_FILES);
        return 0;
    }
    fillRecord(findObject.entries.front(), record);
    findObject.next = 1;
    return store(std::move(findObject));
}

bool InternetFindNextFileA(HINTERNET handle, WIN32_FIND_DATAA& record)
{
    auto* findObject = find<FindObject>(handle);
    if (!findObject)
        return false;
    if (findObject->next >= findObject->entries.size()) {
        fail("No more files", ERROR_NO_MORE_FILES);
        return false;
    }
    fillRecord(findObject->entries[findObject->next++], record);
    return true;
}

namespace {

// The one remote file a connection may have open, opened by `open`.
template <typename Open>
HINTERNET openFileHandle(HINTERNET connection, Open&& open)
{
    auto* session = connectedSession(connection);
    if (!session)
        return 0;
    if (find<ConnectionObject>(connection)->openFile) {
        fail("Another file is already open on this connection");
        return 0;
    }
    if (!succeeded(*session, [&] { return open(*session); }))
        return 0;
    const HINTERNET handle = store(FileObject{connection, session});
    find<ConnectionObject>(connection)->openFile = handle;
    return handle;
}

} // namespace

HINTERNET FtpOpenFileA(HINTERNET connection, const std::string& path, std::uint32_t access,
                       std::uint32_t, std::uintptr_t)
{
    const auto direction =
        access == GENERIC_WRITE ? session::TransferDirection::Upload : session::TransferDirection::Download;
    return openFileHandle(connection, [&](session::RemoteSession& session) { return session.openFile(path, direction); });
}

HINTERNET FtpOpenFileAtA(HINTERNET connection, const std::string& path, std::uint64_t knownSize,
                         const SYSTEMTIME* knownModified, std::uint64_t& startAt, session::HeldBytes& held,
                         std::uint32_t, std::uintptr_t)
{
    const std::optional<session::DateTime> modified =
        knownModified ? std::optional(*knownModified) : std::nullopt;
    return openFileHandle(connection, [&](session::RemoteSession& session) {
        return session.resumeDownload(path, knownSize, modified, startAt, held);
    });
}

void InternetTransferFollows(HINTERNET handle, const std::string& nextPath, std::uint32_t nextAccess)
{
    const auto direction =
        nextAccess == GENERIC_WRITE ? session::TransferDirection::Upload : session::TransferDirection::Download;
    if (const auto* file = lookUp<FileObject>(handle))
        file->session->nextTransferIs(nextPath, direction);
}

bool InternetTransferBrokeOff() { return lastFailureBrokeOff; }

bool InternetReadFile(HINTERNET handle, void* buffer, std::uint32_t toRead, std::uint32_t& read)
{
    read = 0;
    lastFailureBrokeOff = false;
    auto* file = find<FileObject>(handle);
    if (!file)
        return false;
    std::size_t count = 0;
    const bool ok = succeeded(*file->session, [&] { return file->session->read(buffer, toRead, count); });
    read = std::uint32_t(count);
    return ok;
}

bool InternetReadIsReady(HINTERNET handle, std::uint32_t toRead)
{
    const auto* file = lookUp<FileObject>(handle);
    return !file || file->session->readReady(toRead);
}

bool InternetWriteFile(HINTERNET handle, const void* buffer, std::uint32_t toWrite,
                       std::uint32_t& written)
{
    written = 0;
    auto* file = find<FileObject>(handle);
    if (!file)
        return false;
    if (!succeeded(*file->session, [&] { return file->session->write(buffer, toWrite); }))
        return false;
    written = toWrite;
    return true;
}

bool FtpDeleteFileA(HINTERNET connection, const std::string& path)
{
    auto* session = connectedSession(connection);
    return session && succeeded(*session, [&] { return session->deleteFile(path); });
}

bool FtpCreateDirectoryA(HINTERNET connection, const std::string& path)
{
    auto* session = connectedSession(connection);
    return session && succeeded(*session, [&] { return session->makeDirectory(path); });
}

bool FtpRemoveDirectoryA(HINTERNET connection, const std::string& path)
{
    auto* session = connectedSession(connection);
    return session && succeeded(*session, [&] { return session->removeDirectory(path); });
}

bool FtpRenameFileA(HINTERNET connection, const std::string& from, const std::string& to)
{
    auto* session = connectedSession(connection);
    return session && succeeded(*session, [&] { return session->rename(from, to); });
}

bool FtpAskPathExistsA(HINTERNET connection, const std::string& path, bool& exists)
{
    exists = false;
    auto* session = connectedSession(connection);
    session::Presence presence = session::Presence::Unknown;
    if (!session || !succeeded(*session, [&] { return session->presenceOf(path, presence); }))
        return false;
    exists = presence == session::Presence::Present;
    return presence != session::Presence::Unknown;
}

bool InternetCloseHandle(HINTERNET handle)
{
    const auto it = handles.find(handle);
    if (it == handles.end())
        return handle == 0;
    if (std::holds_alternative<FileObject>(it->second))
        return closeFile(handle);
    if (std::holds_alternative<ConnectionObject>(it->second)) {
        closeConnection(handle);
        return true;
    }
    if (std::holds_alternative<InternetObject>(it->second)) {
        closeInternet(handle, false);
        return true;
    }
    handles.erase(handle);
    return true;
}

void InternetAbandonHandle(HINTERNET handle)
{
    const auto it = handles.find(handle);
    if (it == handles.end())
        return;
    if (std::holds_alternative<ConnectionObject>(it->second))
        closeConnection(handle, true);
    else if (std::holds_alternative<InternetObject>(it->second))
        closeInternet(handle, true);
    else
        (void)InternetCloseHandle(handle);
}

std::string InternetGetLastErrorText() { return lastError; }

std::uint32_t GetLastError() { return lastErrorCode; }

void InternetSetDefaultTimeout(std::chrono::milliseconds timeout) { defaultTimeout = timeout; }

void InternetSetConnectionQuestions(session::Questions& newQuestions) { questions = &newQuestions; }

void InternetWithdrawConnectionQuestions(const session::Questions& withdrawn)
{
    if (questions == &withdrawn)
        questions = &session::nobodyToAsk();
    std::vector<HINTERNET> asking;
    for (const auto& [key, object] : handles) {
        const auto* connection = std::get_if<ConnectionObject>(&object);
        if (connection && connection->questions == &withdrawn)
            asking.push_back(key);
    }
    for (HINTERNET connection : asking)
        closeConnection(connection, true);
}

void InternetSetTrustedAuthorities(const std::string& file) { trustedAuthorities = file; }

void InternetSetHostKeyStore(const std::string& file) { hostKeyStore = file; }

void InternetSetSshFolder(const std::string& folder) { sshFolder = folder; }

std::string FtpGetConnectionEncryption(HINTERNET connection)
{
    auto* object = find<ConnectionObject>(connection);
    return object ? object->session->encryption() : std::string();
}

std::string FtpGetLogonNotes(HINTERNET connection)
{
    auto* object = find<ConnectionObject>(connection);
    return object ? object->session->logonNotes() : std::string();
}
