// The user-defaults store: one property list per domain, "<domain>.plist", in
// the preferences folder $XDG_CONFIG_HOME/4086KTZ/Preferences (by default
// ~/.config/4086KTZ/Preferences).
//
// Every change is a read-modify-write under an exclusive lock on a lock file
// beside the domain's file, ending in an atomic replace; two programs changing
// the same domain at once therefore lose nothing, and a reader never sees a
// half-written file. A domain file that exists but cannot be parsed is kept
// aside as "<domain>.plist.damaged" before the first change replaces it.
#pragma once

#include "platform/foundation/PropertyList.h"

#include <QString>

#include <functional>
#include <optional>

namespace corvane {

class UserDefaults {
public:
    // domain: a reverse-DNS name such as "com.4086KTZ.Corvane"; names with
    // '/' or starting with '.' are refused (every call then fails).
    explicit UserDefaults(const QString& domain);

    static QString preferencesFolder();
    static bool isValidDomain(const QString& domain);

    const QString& domain() const { return domain_; }
    QString filePath() const;

    // The domain's contents; empty when the file is missing or unreadable.
    plist::Dictionary dictionary() const;
    // One value, or nothing when the key is absent.
    std::optional<plist::Value> value(const QString& key) const;

    bool setValue(const QString& key, const plist::Value& value, QString* error = nullptr);
    bool removeValue(const QString& key, QString* error = nullptr);

    // Runs change on the current contents under the lock and writes the
    // result; change returns false to leave the file as it is.
    bool update(const std::function<bool(plist::Dictionary&)>& change, QString* error = nullptr);

private:
    QString domain_;
};

}  // namespace corvane
