#include "support/TestSupport.h"

#include <QDir>

#include <cstdlib>

void IsolateUserFolders()
{
    static QTemporaryDir home;
    const QByteArray base = home.path().toLocal8Bit();
    setenv("XDG_CONFIG_HOME", (base + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (base + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (base + "/cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (base + "/runtime").constData(), 1);
    QDir().mkpath(home.path() + QStringLiteral("/runtime"));
    QFile::setPermissions(home.path() + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

int TFakePrompter::MessageDlg(const QString& text, TMsgDlgType type, unsigned buttons)
{
    Questions.push_back({text, type, buttons});
    if (!Answers.empty()) {
        const int a = Answers.front();
        Answers.erase(Answers.begin());
        return a;
    }
    return (buttons & mbCancel) ? mrCancel : mrOk;
}

TTestServices::TTestServices()
{
    TServices::TOptions o;
    o.SettingsFile = Dir.filePath(QStringLiteral("registry.json"));
    Svc = std::make_unique<TServices>(o);
    auto fake = std::make_unique<TFakePrompter>();
    Fake = fake.get();
    Svc->SetPrompter(std::move(fake));
}

TTestServices::~TTestServices() = default;

QString TTestServices::SettingsFile() const
{
    return Dir.filePath(QStringLiteral("registry.json"));
}

QString TTestServices::TempPath(const QString& name) const
{
    return Dir.filePath(name);
}
