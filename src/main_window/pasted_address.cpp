#include "main_window/pasted_address.h"

#include "main_window/remote_names.h"
#include "session/endpoint.h"

#include <QLineEdit>

QString takePastedAddress(QLineEdit* host, QLineEdit* user, QLineEdit* port)
{
    const std::string typed = toRemote(host->text());
    const session::Endpoint endpoint = session::parseEndpoint(typed, 0);
    if (!endpoint.user.empty())
        user->setText(fromRemote(endpoint.user));
    if (endpoint.urlPort)
        port->setText(QString::number(endpoint.urlPort));
    if (const std::string kept = session::hostFieldOf(typed); kept != typed)
        host->setText(fromRemote(kept));
    return fromRemote(endpoint.path);
}

QString hostFieldToKeep(const QString& typed)
{
    const std::string text = toRemote(typed);
    return session::parseEndpoint(text, 0).hadPassword ? fromRemote(session::hostFieldOf(text)) : typed;
}
