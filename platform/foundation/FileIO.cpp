#include "platform/foundation/FileIO.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace corvane {

namespace {

QString reason(const QString& path, const char* what, int err)
{
    return QStringLiteral("%1: %2: %3")
        .arg(path, QString::fromUtf8(what), QString::fromLocal8Bit(std::strerror(err)));
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// An open, regular file; closed when it goes out of scope.
class ReadableFile {
public:
    explicit ReadableFile(const QString& path, QString* error) : path_(path)
    {
        fd_ = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd_ < 0) {
            setError(error, reason(path, "cannot open", errno));
            return;
        }
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            setError(error, QStringLiteral("%1: not a regular file").arg(path));
            close();
            return;
        }
        size_ = st.st_size;
    }
    ~ReadableFile() { close(); }
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    qint64 size() const { return size_; }

    // Reads up to limit bytes from the start; the result may be shorter if
    // the file is. Files that report no size (those of /proc) are read in
    // chunks until their end.
    std::optional<QByteArray> read(qint64 limit, QString* error)
    {
        constexpr qint64 kChunk = 64 * 1024;
        QByteArray bytes;
        qint64 done = 0;
        while (done < limit) {
            const qint64 want = size_ > 0 ? limit - done : std::min(kChunk, limit - done);
            bytes.resize(done + want);
            const ssize_t n = ::pread(fd_, bytes.data() + done, static_cast<size_t>(want),
                                      static_cast<off_t>(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                setError(error, reason(path_, "cannot read", errno));
                return std::nullopt;
            }
            done += n;
            if (n == 0 || (size_ > 0 && n < want))
                break;
        }
        bytes.truncate(done);
        return bytes;
    }

private:
    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    QString path_;
    int fd_ = -1;
    qint64 size_ = 0;
};

}  // namespace

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes, QString* error)
{
    ReadableFile file(path, error);
    if (!file.isOpen())
        return std::nullopt;
    if (file.size() > maxBytes) {
        setError(error, QStringLiteral("%1: larger than %2 bytes").arg(path).arg(maxBytes));
        return std::nullopt;
    }
    // One byte more than allowed tells a file that grew past the limit.
    const qint64 limit = file.size() > 0 ? std::min(maxBytes + 1, file.size() + 1) : maxBytes + 1;
    auto bytes = file.read(limit, error);
    if (bytes && bytes->size() > maxBytes) {
        setError(error, QStringLiteral("%1: larger than %2 bytes").arg(path).arg(maxBytes));
        return std::nullopt;
    }
    return bytes;
}

std::optional<QByteArray> readFileHead(const QString& path, qint64 maxBytes, qint64* fileSize,
                                       QString* error)
{
    ReadableFile file(path, error);
    if (!file.isOpen())
        return std::nullopt;
    if (fileSize)
        *fileSize = file.size();
    return file.read(file.size() > 0 ? std::min(maxBytes, file.size()) : maxBytes, error);
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error, int mode)
{
    const QFileInfo info(path);
    const QByteArray folder = nativePath(info.absolutePath());
    QByteArray pattern = nativePath(info.absoluteFilePath()) + ".XXXXXX";

    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        setError(error, reason(path, "cannot create a temporary file", errno));
        return false;
    }
    struct stat existing {};
    const bool replaces = ::stat(nativePath(path).constData(), &existing) == 0;
    ::fchmod(fd, replaces ? (existing.st_mode & 07777) : static_cast<mode_t>(mode));

    qint64 done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            setError(error, reason(path, "cannot write", n < 0 ? errno : EIO));
            ok = false;
        } else {
            done += n;
        }
    }
    if (ok && ::fsync(fd) != 0) {
        setError(error, reason(path, "cannot flush", errno));
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        setError(error, reason(path, "cannot close", errno));
        ok = false;
    }
    if (ok && ::rename(pattern.constData(), nativePath(path).constData()) != 0) {
        setError(error, reason(path, "cannot replace", errno));
        ok = false;
    }
    if (!ok) {
        ::unlink(pattern.constData());
        return false;
    }
    // Make the rename itself durable.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

}  // namespace corvane
