// The small session-bus service every one of our programs registers so that
// others can ask it to quit (with an error number in the reply) or to reopen
// (show its window again).
//
// On the bus: the object /org/corvane/QuitReopen with the interface
// org.corvane.QuitReopen, methods Quit() -> int32 error number (0: the
// program is quitting) and Reopen() -> int32 (0), under the well-known name
// org.corvane.QuitReopen.Process<pid>, one per process. Senders check that
// the name's owner really is that process (QuitReopenRequests.h).
//
// Threading: the thread of the application (QtDBus delivers calls there).
// One service per process.
#pragma once

#include <QObject>
#include <QString>

#include <sys/types.h>
#include <cstdint>
#include <functional>

namespace corvane::session {

inline constexpr char kQuitReopenInterface[] = "org.corvane.QuitReopen";
inline constexpr char kQuitReopenPath[] = "/org/corvane/QuitReopen";

// The bus name the service of process pid registers.
QString quitReopenBusName(pid_t pid);

class QuitReopenService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.corvane.QuitReopen")

public:
    // Decides a quit request: 0 accepts it (the handler then arranges for
    // the program to end, after the reply has gone out); any other number
    // refuses it and is the reply's error number (userCanceledErr, -128,
    // when the user cancelled).
    using QuitHandler = std::function<std::int32_t()>;

    explicit QuitReopenService(QObject* parent = nullptr);
    ~QuitReopenService() override;

    // Exports the object and takes this process's name on the session bus.
    // False when there is no session bus or the name is held by another
    // connection; nothing stays registered then.
    bool registerOnSessionBus();

    // The default handler accepts and quits the application's event loop
    // once the reply is sent.
    void setQuitHandler(QuitHandler handler) { quitHandler_ = std::move(handler); }

    // The service this process registered, or null.
    static QuitReopenService* instance();

public Q_SLOTS:
    // The bus methods; they can be called directly too.
    Q_SCRIPTABLE int Quit();
    Q_SCRIPTABLE int Reopen();

Q_SIGNALS:
    // A reopen request arrived: show the main window again.
    void reopenRequested();
    // A quit request was accepted (before the program ends).
    void quitAccepted();

private:
    QuitHandler quitHandler_;
    bool registered_ = false;
};

}  // namespace corvane::session
