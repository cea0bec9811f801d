#include "main_window/password_vault.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

namespace {

// Without a session bus in the environment the keyring library would have one
// started for the X display (D-Bus autolaunch), and that bus would start a
// keyring daemon that asks for a new keyring password: no business of a
// settings store. No session bus, no keyring.
bool sessionBusAdvertised()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

struct JobEnd {
    bool answered = false;
    QKeychain::Error error = QKeychain::OtherError;
    QString text;
};

// Starts the job and waits for its end, at most the vault's time-out. Input
// stays queued meanwhile, so no handler of the window runs inside the wait.
// The job deletes itself whenever it ends: the keyring library's callbacks
// still point at it after this wait has given up on it.
JobEnd runJob(QKeychain::Job* job)
{
    JobEnd end;
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* finished) {
        end.answered = true;
        end.error = finished->error();
        if (auto* reading = qobject_cast<QKeychain::ReadPasswordJob*>(finished))
            end.text = reading->textData();
        loop.quit();
    });
    QTimer::singleShot(PasswordVault::answerTimeoutMs, &loop, &QEventLoop::quit);
    job->setAutoDelete(true);
    job->start();
    if (!end.answered)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return end;
}

} // namespace

bool PasswordVault::turnedOff() { return !qEnvironmentVariableIsEmpty("CORVELL_NO_KEYRING"); }

PasswordVault::Reading PasswordVault::read(const QString& key)
{
    if (turnedOff() || !sessionBusAdvertised())
        return {};
    auto* job = new QKeychain::ReadPasswordJob(service_);
    job->setKey(key);
    const JobEnd end = runJob(job);
    if (!end.answered)
        return {};
    if (end.error == QKeychain::NoError)
        return {Answer::Found, end.text};
    if (end.error == QKeychain::EntryNotFound)
        return {Answer::NotFound, {}};
    return {};
}

bool PasswordVault::write(const QString& key, const QString& text)
{
    if (turnedOff() || !sessionBusAdvertised())
        return false;
    auto* job = new QKeychain::WritePasswordJob(service_);
    job->setKey(key);
    job->setTextData(text);
    const JobEnd end = runJob(job);
    return end.answered && end.error == QKeychain::NoError;
}

bool PasswordVault::remove(const QString& key)
{
    if (turnedOff() || !sessionBusAdvertised())
        return false;
    auto* job = new QKeychain::DeletePasswordJob(service_);
    job->setKey(key);
    const JobEnd end = runJob(job);
    return end.answered && (end.error == QKeychain::NoError || end.error == QKeychain::EntryNotFound);
}
