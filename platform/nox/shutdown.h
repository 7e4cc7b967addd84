// NoxShutdownCaller: runs registered callbacks once when the platform shuts down, so cached
// objects are released while the code that owns them is still loaded.
#pragma once

#include <mutex>
#include <vector>

#include "com/base.h"

class NOX_EXPORT NoxOnShutdownCallback {
public:
    virtual void OnShutdown() = 0;

protected:
    ~NoxOnShutdownCallback() = default;
};

class NOX_EXPORT NoxShutdownCaller {
public:
    static NoxShutdownCaller& GetSingleton();

    void RegisterCallback(NoxOnShutdownCallback* callback);    // once per callback
    void UnregisterCallback(NoxOnShutdownCallback* callback);  // when its owner goes away first
    // Runs every registered callback (last registered first) and forgets them.
    void Shutdown();

private:
    NoxShutdownCaller() = default;
    ~NoxShutdownCaller();

    std::mutex mutex_;
    std::vector<NoxOnShutdownCallback*> callbacks_;
};
