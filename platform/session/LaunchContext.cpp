#include "platform/session/LaunchContext.h"

#include "platform/session/ProcessFacts.h"

#include <QDir>

namespace corvane::session {

namespace {

std::optional<SerialNumber> parseSerial(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return std::nullopt;
    bool highOk = false, lowOk = false;
    const uint high = parts[0].toUInt(&highOk);
    const uint low = parts[1].toUInt(&lowOk);
    if (!highOk || !lowOk || low == 0 || low > 0x7fffffffu)
        return std::nullopt;
    return SerialNumber{high, low};
}

}  // namespace

QProcessEnvironment launcherEnvironment(const SerialNumber& launcher, const QString& bundlePath)
{
    QProcessEnvironment environment;
    environment.insert(QLatin1String(kLauncherSerialVariable),
                       QStringLiteral("%1:%2").arg(launcher.high).arg(launcher.low));
    if (!bundlePath.isEmpty())
        environment.insert(QLatin1String(kLauncherBundleVariable), bundlePath);
    return environment;
}

std::optional<LaunchContext> launchContext(const QProcessEnvironment& environment)
{
    LaunchContext context;
    context.atLogin =
        environment.value(QLatin1String(kLaunchedAtLoginVariable)) == QLatin1String("1");
    const QString serial = environment.value(QLatin1String(kLauncherSerialVariable));
    if (!serial.isEmpty()) {
        const auto parsed = parseSerial(serial);
        if (!parsed)
            return std::nullopt;
        context.launcher = *parsed;
        const QString bundle = environment.value(QLatin1String(kLauncherBundleVariable));
        if (!bundle.isEmpty())
            context.claimedBundlePath = QDir::cleanPath(bundle);
    }
    if (!context.atLogin && !context.launcher.isValid())
        return std::nullopt;
    return context;
}

QString launcherBundlePath(const LaunchContext& context)
{
    if (!context.launcher.isValid())
        return {};
    if (context.launcher.isRunning()) {
        if (const auto facts = readProcessFacts(context.launcher.pid());
            facts && !facts->bundlePath.isEmpty())
            return facts->bundlePath;
    }
    return context.claimedBundlePath;
}

}  // namespace corvane::session
