// Tells when the user's login items may have changed: an entry of the
// autostart folder was added, removed, renamed or rewritten, by this program
// or any other, or the folder itself appeared or went away. Changes that come
// in a burst are reported once, shortly after the burst.
//
// Lives on the thread that creates it (the main thread in the programs) and
// reports there, through its changed() signal and the callbacks added with
// addCallback(). It watches the folder named by the environment when it is
// created.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

namespace corvane::loginitems {

class LoginItemsWatcher : public QObject {
    Q_OBJECT
public:
    explicit LoginItemsWatcher(QObject* parent = nullptr);

    // Adds a function called after each change; returns its token for
    // removeCallback.
    int addCallback(std::function<void()> callback);
    void removeCallback(int token);

    // How long a burst of changes is collected before it is reported.
    static constexpr int kSettleMilliseconds = 100;

Q_SIGNALS:
    void changed();

private:
    void watchCurrentState();
    void noteChange();
    void report();

    QString folder_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
    std::vector<std::pair<int, std::function<void()>>> callbacks_;
    int nextToken_ = 1;
};

}  // namespace corvane::loginitems
