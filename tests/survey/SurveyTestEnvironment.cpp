#include "tests/survey/SurveyTestEnvironment.h"

#include "platform/foundation/PropertyListIO.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace corvane::survey::test {

SurveyTestEnvironment::SurveyTestEnvironment()
    : root_(QDir::tempPath() + QStringLiteral("/survey root XXXXXX"))
{
    setVariable("CORVANE_SYSTEM_ROOT", QFile::encodeName(root_.path()));
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
