#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/FileIO.h"
#include "platform/foundation/PropertyListIO.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace corvane {

namespace {

constexpr int kLockAttempts = 500;  // 10 ms apart: five seconds in all

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// An exclusive lock on the domain's lock file, released when destroyed.
class DomainLock {
public:
    DomainLock(const QString& lockPath, QString* error)
    {
        fd_ = ::open(nativePath(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            setError(error, QStringLiteral("%1: cannot open lock: %2")
                                .arg(lockPath, QString::fromLocal8Bit(std::strerror(errno))));
            return;
        }
        for (int i = 0; i < kLockAttempts; ++i) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                locked_ = true;
                return;
            }
            if (errno != EWOULDBLOCK && errno != EINTR)
                break;
            QThread::msleep(10);
        }
        setError(error,
                 QStringLiteral("%1: preferences stay locked by another program").arg(lockPath));
    }
    ~DomainLock()
    {
        if (fd_ >= 0)
            ::close(fd_);  // releases the lock
    }
    DomainLock(const DomainLock&) = delete;
    DomainLock& operator=(const DomainLock&) = delete;

    bool locked() const { return locked_; }

private:
    int fd_ = -1;
    bool locked_ = false;
};

struct Contents {
    plist::Dictionary dictionary;
    bool damaged = false;  // the file exists but is not a dictionary property list
};

Contents readDomainFile(const QString& path)
{
    Contents c;
    if (!QFileInfo::exists(path))
        return c;
    const plist::ReadResult r = plist::readFile(path);
    if (r && r.value->isDictionary())
        c.dictionary = *r.value->dictionary();
    else
        c.damaged = true;
    return c;
}

}  // namespace

UserDefaults::UserDefaults(const QString& domain) : domain_(domain) {}

QString UserDefaults::preferencesFolder()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/4086KTZ/Preferences");
}

bool UserDefaults::isValidDomain(const QString& domain)
{
    return !domain.isEmpty() && !domain.startsWith(u'.') && !domain.contains(u'/') &&
           !domain.contains(QChar(0)) && domain.size() <= 200;
}

QString UserDefaults::filePath() const
{
    return preferencesFolder() + u'/' + domain_ + QStringLiteral(".plist");
}

plist::Dictionary UserDefaults::dictionary() const
{
    if (!isValidDomain(domain_))
        return {};
    return readDomainFile(filePath()).dictionary;
}

std::optional<plist::Value> UserDefaults::value(const QString& key) const
{
    const plist::Dictionary d = dictionary();
    auto it = d.constFind(key);
    if (it == d.constEnd())
        return std::nullopt;
    return *it;
}

bool UserDefaults::setValue(const QString& key, const plist::Value& value, QString* error)
{
    return update(
        [&](plist::Dictionary& d) {
            d.insert(key, value);
            return true;
        },
        error);
}

bool UserDefaults::removeValue(const QString& key, QString* error)
{
    return update([&](plist::Dictionary& d) { return d.remove(key) > 0; }, error);
}

bool UserDefaults::update(const std::function<bool(plist::Dictionary&)>& change, QString* error)
{
    if (!isValidDomain(domain_)) {
        setError(error, QStringLiteral("\"%1\" is not a valid preferences domain").arg(domain_));
        return false;
    }
    const QString folder = preferencesFolder();
    if (!QDir().mkpath(folder)) {
        setError(error, QStringLiteral("%1: cannot create the preferences folder").arg(folder));
        return false;
    }
    const QString path = filePath();
    const DomainLock lock(folder + QStringLiteral("/.") + domain_ + QStringLiteral(".plist.lock"),
                          error);
    if (!lock.locked())
        return false;

    Contents contents = readDomainFile(path);
    if (!change(contents.dictionary))
        return true;
    if (contents.damaged) {
        const QString aside = path + QStringLiteral(".damaged");
        QFile::remove(aside);
        if (!QFile::rename(path, aside)) {
            setError(error,
                     QStringLiteral("%1: unreadable, and it cannot be moved aside").arg(path));
            return false;
        }
        qWarning("%s: was not a readable property list; kept as %s", qPrintable(path),
                 qPrintable(aside));
    }
    return plist::writeFile(path, plist::Value(contents.dictionary), plist::Format::Binary, error);
}

}  // namespace corvane
