#include "ftp/ftp_session.h"

// Placeholder until the engine is built.
namespace ftp {
struct Session::Impl {};
Session::Session(SessionOptions) : impl_(std::make_unique<Impl>()) {}
Session::~Session() = default;
Status Session::open(const std::string&, std::uint16_t, const std::string&, const std::string&) { return Status::failure(ErrorKind::WrongState, "not built"); }
void Session::close() {}
bool Session::isOpen() const { return false; }
Status Session::printWorkingDirectory(std::string&) { return Status::failure(ErrorKind::WrongState, "not built"); }
Status Session::changeDirectory(const std::string&) { return Status::failure(ErrorKind::WrongState, "not built"); }
Status Session::makeDirectory(const std::string&) { return Status::failure(ErrorKind::WrongState, "not built"); }
Status Session::removeDirectory(const std::string&) { return Status::failure(ErrorKind::WrongState, "not built"); }
Status Session::deleteFile(const std::string&) { return Status::failure(ErrorKind::WrongState, "not built"); }
Status Session::rename(const std::string&, const std::string&) { return Status::failure(ErrorKind::WrongState, "not built"); }
Status Session::listFolder(const std::string&, std::vector<ListEntry>&) { return Status::failure(ErrorKind::WrongState, "not built"); }
Status Session::openFile(const std::string&, TransferDirection) { return Status::failure(ErrorKind::WrongState, "not built"); }
Status Session::read(void*, std::size_t, std::size_t&) { return Status::failure(ErrorKind::WrongState, "not built"); }
Status Session::write(const void*, std::size_t) { return Status::failure(ErrorKind::WrongState, "not built"); }
Status Session::closeFile() { return Status::failure(ErrorKind::WrongState, "not built"); }
bool Session::isFileOpen() const { return false; }
bool Session::utf8Names() const { return false; }
bool Session::offersMlst() const { return false; }
}
