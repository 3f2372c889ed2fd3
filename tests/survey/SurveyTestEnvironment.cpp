#include "tests/survey/SurveyTestEnvironment.h"

#include "platform/foundation/PropertyListIO.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace corvane::survey::test {

SurveyTestEnvironment::SurveyTestEnvironment()
    : home_(QDir::tempPath() + QStringLiteral("/survey home XXXXXX")),
      root_(QDir::tempPath() + QStringLiteral("/survey root XXXXXX")),
      apps_(QDir::tempPath() + QStringLiteral("/Applications “test” é XXXXXX"))
{
    setVariable("XDG_CONFIG_HOME", QFile::encodeName(home_.path()));
    setVariable("HOME", QFile::encodeName(home_.path()));
    setVariable("XDG_DATA_HOME", QFile::encodeName(home_.path() + QStringLiteral("/data")));
    setVariable("XDG_DATA_DIRS", QFile::encodeName(home_.path() + QStringLiteral("/data-dirs")));
    setVariable("CORVANE_SYSTEM_ROOT", QFile::encodeName(root_.path()));
    setVariable("CORVANE_APPLICATION_PATH", QFile::encodeName(apps_.path()));
}

SurveyTestEnvironment::~SurveyTestEnvironment()
{
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->had)
            qputenv(it->name, it->value);
        else
            qunsetenv(it->name);
    }
}

void SurveyTestEnvironment::setVariable(const char* name, const QByteArray& value)
{
    saved_.push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
    qputenv(name, value);
}

void SurveyTestEnvironment::writeSystemFile(const char* absolutePath, const QByteArray& bytes) const
{
    const QString path = root_.path() + QLatin1StringView(absolutePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

void SurveyTestEnvironment::writeSystemVersion(const QString& version) const
{
    const plist::Value root(plist::Dictionary{{QStringLiteral("ProductVersion"), version}});
    writeSystemFile("/System/Library/CoreServices/SystemVersion.plist",
                    plist::serialize(root, plist::Format::Xml).value_or(QByteArray()));
}

void SurveyTestEnvironment::writeExceptions(const plist::Dictionary& minimumVersions) const
{
    const plist::Value root(plist::Dictionary{{QStringLiteral("MinimumVersionRequirements"), minimumVersions}});
    writeSystemFile("/System/Library/CoreServices/CoreTypes.bundle/Contents/Resources/Exceptions.plist",
                    plist::serialize(root, plist::Format::Binary).value_or(QByteArray()));
}

}  // namespace corvane::survey::test
