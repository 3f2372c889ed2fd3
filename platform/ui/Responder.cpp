#include "platform/ui/Responder.h"

namespace corvane::ui {

Responder::~Responder() = default;

bool Responder::performAction(const Action& action, QObject* sender)
{
    const auto it = handlers_.constFind(action);
    if (it == handlers_.constEnd())
        return false;
    // A copy: the handler may replace its own registration while it runs.
    const Handler handler = *it;
    handler(sender);
    return true;
}

bool Responder::validateMenuItem(MenuItem&)
{
    return true;
}

Responder* Responder::validRequestorForSendTypeReturnType(const QString&, const QString&)
{
    return nullptr;
}

bool Responder::writeSelectionToPasteboardTypes(Pasteboard&, const QStringList&)
{
    return false;
}

void Responder::addAction(const Action& action, Handler handler)
{
    if (!action.isNull() && handler)
        handlers_.insert(action, std::move(handler));
}

QList<Responder*> ResponderChain::responders() const
{
    QList<Responder*> chain;
    for (Responder* r = first_.get(); r && !chain.contains(r); r = r->nextResponder())
        chain.append(r);
    if (Responder* d = delegate_.get(); d && !chain.contains(d))
        chain.append(d);
    return chain;
}

Responder* ResponderChain::targetForAction(const Action& action, Responder* explicitTarget) const
{
    if (action.isNull())
        return nullptr;
    if (explicitTarget)
        return explicitTarget->respondsToAction(action) ? explicitTarget : nullptr;
    for (Responder* r : responders()) {
        if (r->respondsToAction(action))
            return r;
    }
    return nullptr;
}

bool ResponderChain::sendAction(const Action& action, Responder* explicitTarget,
                                QObject* sender) const
{
    Responder* target = targetForAction(action, explicitTarget);
    return target && target->performAction(action, sender);
}

Responder* ResponderChain::validRequestor(const QString& sendType, const QString& returnType) const
{
    for (Responder* r : responders()) {
        if (Responder* found = r->validRequestorForSendTypeReturnType(sendType, returnType))
            return found;
    }
    return nullptr;
}

}  // namespace corvane::ui
