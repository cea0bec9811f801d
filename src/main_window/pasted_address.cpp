#include "main_window/pasted_address.h"

#include "main_window/remote_names.h"
#include "engine_choice/endpoint.h"

#include <QLineEdit>

QString takePastedAddress(QLineEdit* host, QLineEdit* user, QLineEdit* port)
{
    const std::string typed = toRemote(host->text());
    const engine_choice::Endpoint endpoint = engine_choice::parseEndpoint(typed, 0);
    if (!endpoint.user.empty())
        user->setText(fromRemote(endpoint.user));
    if (endpoint.urlPort)
        port->setText(QString::number(endpoint.urlPort));
    if (const std::string kept = engine_choice::hostFieldOf(typed); kept != typed)
        host->setText(fromRemote(kept));
    return fromRemote(endpoint.path);
}

QString hostFieldToKeep(const QString& typed)
{
    const std::string text = toRemote(typed);
    return engine_choice::parseEndpoint(text, 0).hadPassword ? fromRemote(engine_choice::hostFieldOf(text)) : typed;
}
