// Actions and the responder chain.
//
// A command is an Action (its name, such as "showSource2:") sent with one
// argument, the sender (a menu item, a table view, a button). It goes to the
// item's target when it has one, otherwise along the responder chain: the
// first responder (the key window's controller), the responders it names as
// next, and last the application delegate. A responder says which actions it
// performs by registering a handler for each, and decides enabling and check
// marks of menu items in one operation, validateMenuItem().
//
// Lifetimes: nothing here owns a responder. Items, chains and menus hold weak
// references (WeakRef), which read as null once the responder is destroyed,
// so a stale target is never called. Main thread only.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QObject;

namespace corvane::ui {

class MenuItem;
class Pasteboard;

// The name of a command. A null action (the default) means "no action".
class Action {
public:
    Action() = default;
    explicit Action(const char* name) : name_(name) {}
    explicit Action(QByteArray name) : name_(std::move(name)) {}

    bool isNull() const { return name_.isEmpty(); }
    const QByteArray& name() const { return name_; }
    friend bool operator==(const Action& a, const Action& b) { return a.name_ == b.name_; }
    friend bool operator!=(const Action& a, const Action& b) { return !(a == b); }

private:
    QByteArray name_;
};

inline size_t qHash(const Action& action, size_t seed = 0)
{
    return qHash(action.name(), seed);
}

// Base of objects that others refer to weakly. A copy is a new object with a
// lifetime of its own.
class Guarded {
public:
    Guarded() : token_(std::make_shared<char>()) {}
    Guarded(const Guarded&) : token_(std::make_shared<char>()) {}
    Guarded& operator=(const Guarded&) { return *this; }
    virtual ~Guarded() = default;

    std::weak_ptr<void> lifetimeToken() const { return token_; }

private:
    std::shared_ptr<char> token_;
};

// A reference that turns null when its object is destroyed.
template <class T>
class WeakRef {
public:
    WeakRef() = default;
    WeakRef(T* object)  // NOLINT: converts like a pointer
        : object_(object), token_(object ? object->lifetimeToken() : std::weak_ptr<void>())
    {
    }
    T* get() const { return token_.expired() ? nullptr : object_; }
    explicit operator bool() const { return get() != nullptr; }

private:
    T* object_ = nullptr;
    std::weak_ptr<void> token_;
};

class Responder : public Guarded {
public:
    using Handler = std::function<void(QObject* sender)>;

    Responder() = default;
    ~Responder() override;

    Responder* nextResponder() const { return next_.get(); }
    void setNextResponder(Responder* next) { next_ = next; }

    bool respondsToAction(const Action& action) const { return handlers_.contains(action); }
    // Runs the handler registered for action; false when there is none.
    bool performAction(const Action& action, QObject* sender);

    // Enabling of an item whose action this responder performs; may also set
    // the item's state, title or image. The default enables everything.
    virtual bool validateMenuItem(MenuItem& item);

    // Services: the object that can write the selection for sendType when no
    // data is to come back (returnType empty), or null. The default answers
    // null, and the chain goes on to the next responder.
    virtual Responder* validRequestorForSendTypeReturnType(const QString& sendType,
                                                           const QString& returnType);
    // Writes the selection in the first of types this responder knows; true
    // when the pasteboard took it. The default writes nothing.
    virtual bool writeSelectionToPasteboardTypes(Pasteboard& pasteboard, const QStringList& types);

protected:
    // Registers (or replaces) the handler of action.
    void addAction(const Action& action, Handler handler);

private:
    WeakRef<Responder> next_;
    QHash<Action, Handler> handlers_;
};

// Where actions without a target go. A copy is an independent chain over the
// same responders.
class ResponderChain {
public:
    void setFirstResponder(Responder* responder) { first_ = responder; }
    Responder* firstResponder() const { return first_.get(); }
    void setApplicationDelegate(Responder* delegate) { delegate_ = delegate; }
    Responder* applicationDelegate() const { return delegate_.get(); }

    // The first responder, its next responders, then the application
    // delegate; each responder once, so a cycle of next links ends the walk.
    QList<Responder*> responders() const;

    // The responder that would perform action: explicitTarget when given (or
    // null when it does not perform action), else the first responder along
    // the chain that does.
    Responder* targetForAction(const Action& action, Responder* explicitTarget = nullptr) const;
    // Sends action to its target with sender; false when nobody performs it.
    bool sendAction(const Action& action, Responder* explicitTarget, QObject* sender) const;

    // The first valid services requestor along the chain, or null.
    Responder* validRequestor(const QString& sendType, const QString& returnType) const;

private:
    WeakRef<Responder> first_;
    WeakRef<Responder> delegate_;
};

}  // namespace corvane::ui
