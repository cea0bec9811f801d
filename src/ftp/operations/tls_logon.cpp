#include "ftp/operations/tls_logon.h"

#include <algorithm>

namespace ftp {

void SessionEncryption::addSteps(std::vector<LogonStep>& steps, const std::string& host, std::uint16_t port)
{
    host_ = host;
    port_ = port;
    const auto named = [&steps](const char* name) {
        return std::find_if(steps.begin(), steps.end(), [name](const LogonStep& step) { return step.name == name; });
    };
    const auto inClear = [](const LogonContext& context) { return !context.channel.link().encryption.encrypted; };
    // Some servers take PBSZ and PROT only once logged on ("530 Please login
    // with USER and PASS"): they get them again right after the password.
    steps.insert(named("FEAT"), {"PBSZ/PROT after logon", [](const LogonContext& context) { return !context.channel.link().encryption.protectionDeferred; },
                                 [this](LogonContext& context) { return protectData(context, false); }});
    if (settings_.mode == TlsMode::Implicit) {
        steps.insert(named("greeting"), {"TLS handshake", {}, [this](LogonContext& context) { return handshake(context); }});
    }
    steps.insert(named("USER"), {
        {"AUTH TLS", [](const LogonContext& context) { return context.channel.link().encryption.encrypted; },
         [this](LogonContext& context) { return secureControl(context); }},
        {"PBSZ/PROT", inClear, [this](LogonContext& context) { return protectData(context, true); }},
    });
}

Status SessionEncryption::secureControl(LogonContext& context)
{
    Reply& reply = context.lastReply;
    if (Status s = context.channel.command("AUTH TLS", storeReply(reply)); !s.ok())
        return s;
    if (reply.code != 234) {
        // No encryption on offer ("500 AUTH not understood", "502", "534"...).
        // Where the user asked for it, or this session had it before (an
        // attacker may strip it from the link after an idle drop), that ends
        // the logon before the credentials go out.
        if (settings_.mode != TlsMode::WhenOffered || onceEncrypted_) {
            return Status::failure(ErrorKind::Insecure,
                                   "The server refused encryption, which this connection requires: " + reply.text,
                                   reply.code);
        }
        if (!settings_.questions.get().continueInClear(host_, port_))
            return Status::failure(ErrorKind::Insecure, "The server refused encryption: " + reply.text, reply.code);
        return Status::success();
    }
    return handshake(context);
}

// Wraps the control connection in TLS and judges the certificate: after
// "234" to AUTH TLS, or at once for implicit TLS.
Status SessionEncryption::handshake(LogonContext& context)
{
    if (!context_) {
        if (Status s = TlsContext::create(settings_.tls, context_); !s.ok())
            return s;
    }
    ControlConnection& connection = context.channel.connection();
    std::unique_ptr<Stream> plain = connection.takeStream();
    if (!plain)
        return context.channel.failed(
            Status::failure(ErrorKind::Protocol, "The server sent more after agreeing to encrypt the connection"));
    std::unique_ptr<TlsStream> tls;
    if (Status s = TlsStream::connect(std::move(plain), context_, host_, nullptr, context.channel.replyDeadline(), tls);
        !s.ok())
        return context.channel.failed(s);
    if (Status s = checkCertificate(*tls); !s.ok())
        return s;
    LinkEncryption& link = context.channel.link().encryption;
    link.description = tls->description();
    link.encrypted = true;
    onceEncrypted_ = true;
    connection.setStream(std::move(tls));
    return Status::success();
}

Status SessionEncryption::checkCertificate(const TlsStream& stream)
{
    const session::CertificateReport report = stream.certificateReport(port_);
    if (report.trusted() || settings_.questions.get().trustCertificate(report))
        return Status::success();
    std::string reasons;
    for (const std::string& problem : report.problems)
        reasons += (reasons.empty() ? "" : " ") + problem;
    return Status::failure(ErrorKind::Insecure, "The server's certificate was not trusted: " + reasons);
}

Status SessionEncryption::protectData(LogonContext& context, bool beforeLogon)
{
    LinkMemory& link = context.channel.link();
    Reply reply;
    for (const char* command : {"PBSZ 0", "PROT P"}) {
        if (Status s = context.channel.command(command, storeReply(reply)); !s.ok())
            return s;
        if (beforeLogon && reply.code == 530) {
            link.encryption.protectionDeferred = true;
            return Status::success();
        }
        // Files must not cross in the clear on a session the user sees as encrypted.
        if (classify(reply.code) != ReplyClass::Done)
            return Status::failure(ErrorKind::Insecure,
                                   std::string("The server refused to encrypt the data connections (") + command
                                       + "): " + reply.text,
                                   reply.code);
    }
    link.encryption.protectionDeferred = false;
    // The replies to PBSZ and PROT came after the handshake, and with them any
    // TLS 1.3 ticket the server sends: the session is complete now.
    if (const auto* control = dynamic_cast<const TlsStream*>(context.channel.connection().stream()))
        link.encryption.resumption = control->resumption();
    DataProtection protection;
    protection.finish = [](Stream& stream, Deadline deadline) { return static_cast<TlsStream&>(stream).finish(deadline); };
    // The resumption lives in the same memory as the hook: both go with the link.
    protection.start = [context = context_, host = host_, resume = &link.encryption.resumption](
                           std::unique_ptr<Stream>& stream) {
        std::unique_ptr<TlsStream> tls;
        const Status status = TlsStream::start(std::move(stream), context, host, resume, tls);
        stream = std::move(tls);
        return status;
    };
    link.dataProtection = std::move(protection);
    return Status::success();
}

} // namespace ftp
