#pragma once

#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationClient.h"
#include "ZQFramework/Notification/NotificationDistributor.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace ZQTest
{
// A client that logs "<label>:<notification name>" for every delivery and can run a hook inside it.
class Recorder : public ZQ::LNotificationClient
{
public:
    using Log = std::vector<std::string>;

    Recorder(std::string label, Log* log) : mLabel(std::move(label)), mLog(log) {}

    ZQRESULT ReceiveNotification(const ZQ::RCPtr<ZQ::LNotificationDistributor>& source,
                                 const ZQ::RCPtr<ZQ::LNotification>& notification) override
    {
        {
            const std::lock_guard<std::mutex> lock(mMutex);
            ++mCalls;
            if (mLog != nullptr)
            {
                std::string name;
                for (const char16_t* c = notification->GetID(); *c != 0; ++c)
                    name += static_cast<char>(*c);
                mLog->push_back(mLabel + ":" + name);
            }
        }
        if (mHook)
            mHook(source, notification);
        return S_OK;
    }

    int Calls() const
    {
        const std::lock_guard<std::mutex> lock(mMutex);
        return mCalls;
    }

    std::function<void(const ZQ::RCPtr<ZQ::LNotificationDistributor>&, const ZQ::RCPtr<ZQ::LNotification>&)>
        mHook;

private:
    std::string mLabel;
    Log* mLog;
    mutable std::mutex mMutex;
    int mCalls = 0;
};

inline ZQ::RCPtr<Recorder> MakeRecorder(const std::string& label, Recorder::Log* log = nullptr)
{
    return ZQ::RCPtr<Recorder>(new Recorder(label, log));
}

// Switches notification pooling on for a scope and back off (emptying the pool) afterwards.
class PoolingScope
{
public:
    PoolingScope() { ZQ::LNotification::SetPoolingEnabled(true); }
    ~PoolingScope() { ZQ::LNotification::SetPoolingEnabled(false); }
};
} // namespace ZQTest
