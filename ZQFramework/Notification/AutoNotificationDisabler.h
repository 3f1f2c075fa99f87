#pragma once

#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/ObjectBase/TypeName.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace ZQ
{
// Takes the owner's binding for (source, name) away for its lifetime, registration included, and puts
// both back, with the same flags, when it ends. The construction throws Exception<FailedResultException>
// when there is nothing to take away; the destruction never throws (a failure to restore is reported on
// stderr, since a destructor that throws while an exception unwinds ends the program).
template <class T>
class CAutoNotificationDisabler
{
public:
    CAutoNotificationDisabler(const RCPtr<LNotificationHandler<T>>& handler,
                              const RCPtr<LNotificationDistributor>& source, const char16_t* name)
        : mHandler(handler), mSource(source), mID(LNotification::GetIDFromName(name))
    {
        ZQRESULT result = mHandler.IsNull() ? E_FAIL : mHandler->GetCallback(mSource, mID, mCallback, mFlags);
        if (Failed(result))
            throw Exception<FailedResultException>(Message(result, "CAutoNotificationDisabler", 247));
        result = mHandler->Client()->UnregisterFromDistributor(mSource, mID);
        const bool removed = mHandler->RemoveCallback(mSource.Get(), mID);
        if (!removed || Failed(result))
            throw Exception<FailedResultException>(
                Message(removed ? result : E_FAIL, "CAutoNotificationDisabler", 248));
    }

    ~CAutoNotificationDisabler()
    {
        try
        {
            const ZQRESULT result = mHandler->AddCallback(mCallback, mSource, mID, mFlags);
            if (Failed(result))
                std::fprintf(stderr, "%s\n", Message(result, "~CAutoNotificationDisabler", 253).c_str());
        }
        catch (...)
        {
            std::fputs("Failed Result : ~CAutoNotificationDisabler could not restore a binding\n", stderr);
        }
    }

    CAutoNotificationDisabler(const CAutoNotificationDisabler&) = delete;
    CAutoNotificationDisabler& operator=(const CAutoNotificationDisabler&) = delete;

    // The exact text of a failure at line.
    static std::string Message(ZQRESULT result, const char* function, int line)
    {
        return "Failed Result : " + ResultToString(result) + " : ZQ::CAutoNotificationDisabler<" +
               TypeName<T>() + ">::" + function + " : notification\\NotificationHandler : Line " +
               std::to_string(line);
    }

private:
    RCPtr<LNotificationHandler<T>> mHandler;
    RCPtr<LNotificationDistributor> mSource;
    NotificationID mID;
    uint32_t mFlags = 0;
    typename LNotificationHandler<T>::Callback mCallback = nullptr;
};
} // namespace ZQ
