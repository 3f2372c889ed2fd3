// A stand-in file manager for reveal tests: owns org.freedesktop.FileManager1
// on the session bus and appends the items of every ShowItems call, one URI
// per line followed by an empty line, to the file argv[1]. Ends after argv[2]
// seconds (default 60), or when terminated.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <cstdio>

class FileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    explicit FileManager(const QString& log) : log_(log) {}

public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString& startupId)
    {
        Q_UNUSED(startupId);
        QFile f(log_);
        if (f.open(QIODevice::Append))
            f.write((uris.join(u'\n') + QStringLiteral("\n\n")).toUtf8());
    }
    void ShowFolders(const QStringList& uris, const QString& startupId)
    {
        ShowItems(uris, startupId);
    }

private:
    QString log_;
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    FileManager manager(QString::fromLocal8Bit(argv[1]));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.FileManager1"))) {
        std::fprintf(stderr, "fake file manager: cannot register on the session bus\n");
        return 1;
    }
    QTimer::singleShot((argc > 2 ? QString::fromLatin1(argv[2]).toInt() : 60) * 1000, &app,
                       &QCoreApplication::quit);
    return app.exec();
}

#include "FakeFileManager.moc"
