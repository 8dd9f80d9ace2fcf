#include "host_observer.h"

#include <algorithm>

namespace panel_host {

void observerList::add(hostObserver* observer)
{
    if (observer != nullptr && observer != this) {
        observers_.push_back(observer);
    }
}

void observerList::remove(hostObserver* observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void observerList::stage(const std::string& what)
{
    for (hostObserver* o : observers_) {
        o->stage(what);
    }
}

void observerList::notificationStarting(const notification& n)
{
    for (hostObserver* o : observers_) {
        o->notificationStarting(n);
    }
}

void observerList::notificationFinished(const notification& n, const char* result)
{
    for (hostObserver* o : observers_) {
        o->notificationFinished(n, result);
    }
}

void observerList::commandSent(const sentCommand& command)
{
    for (hostObserver* o : observers_) {
        o->commandSent(command);
    }
}

void observerList::breachFound(const contractBreach& breach)
{
    for (hostObserver* o : observers_) {
        o->breachFound(breach);
    }
}

void observerList::diagnostic(const std::string& text)
{
    for (hostObserver* o : observers_) {
        o->diagnostic(text);
    }
}

void observerList::debugOutput(const std::string& text)
{
    for (hostObserver* o : observers_) {
        o->debugOutput(text);
    }
}

}  // namespace panel_host
