#include "nox/shutdown.h"

#include <algorithm>

NoxShutdownCaller& NoxShutdownCaller::GetSingleton() {
    static NoxShutdownCaller caller;
    return caller;
}

NoxShutdownCaller::~NoxShutdownCaller() { Shutdown(); }

void NoxShutdownCaller::RegisterCallback(NoxOnShutdownCallback* callback) {
    std::lock_guard lock(mutex_);
    if (std::find(callbacks_.begin(), callbacks_.end(), callback) == callbacks_.end())
        callbacks_.push_back(callback);
}

void NoxShutdownCaller::UnregisterCallback(NoxOnShutdownCallback* callback) {
    std::lock_guard lock(mutex_);
    std::erase(callbacks_, callback);
}

void NoxShutdownCaller::Shutdown() {
    std::vector<NoxOnShutdownCallback*> pending;
    {
        std::lock_guard lock(mutex_);
        pending.swap(callbacks_);
    }
    for (auto it = pending.rbegin(); it != pending.rend(); ++it) (*it)->OnShutdown();
}
