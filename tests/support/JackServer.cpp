#include "support/JackServer.h"

#include <QCoreApplication>
#include <QThread>

#include <jack/jack.h>

namespace {

bool ServerAnswers(const QString& name)
{
    jack_status_t status{};
    jack_client_t* probe =
        jack_client_open("probe", jack_options_t(JackNoStartServer | JackServerName), &status,
                         name.toLocal8Bit().constData());
    if (!probe)
        return false;
    jack_client_close(probe);
    return true;
}

} // namespace

JackServer::JackServer(int sampleRateHz, int periodFrames)
{
    name_ = QStringLiteral("heulmeister-test-%1").arg(QCoreApplication::applicationPid());
    if (qEnvironmentVariableIsSet("JACK_DEFAULT_SERVER"))
        previousServer_ = qgetenv("JACK_DEFAULT_SERVER");
    qputenv("JACK_DEFAULT_SERVER", name_.toLocal8Bit());
    jack_set_error_function([](const char*) {}); // "server not running" while it starts
    jack_set_info_function([](const char*) {});

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("JACK_NO_AUDIO_RESERVATION"), QStringLiteral("1"));
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QStringLiteral("jackd"), {QStringLiteral("--no-realtime"), QStringLiteral("-n"),
                                             name_, QStringLiteral("-d"), QStringLiteral("dummy"),
                                             QStringLiteral("-r"), QString::number(sampleRateHz),
                                             QStringLiteral("-p"), QString::number(periodFrames)});
    if (!process_.waitForStarted(5000))
        return;
    for (int attempt = 0; attempt < 100 && process_.state() == QProcess::Running; ++attempt) {
        if (ServerAnswers(name_)) {
            answers_ = true;
            return;
        }
        QThread::msleep(100);
    }
}

JackServer::~JackServer()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate(); // SIGTERM to this PID only
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
    if (previousServer_)
        qputenv("JACK_DEFAULT_SERVER", *previousServer_);
    else
        qunsetenv("JACK_DEFAULT_SERVER");
}

void JackServer::Stop()
{
    process_.terminate();
    process_.waitForFinished(5000);
}

QByteArray JackServer::Output()
{
    return process_.readAll();
}
