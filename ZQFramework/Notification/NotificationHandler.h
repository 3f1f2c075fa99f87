#pragma once

#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationClient.h"
#include "ZQFramework/Notification/NotificationDistributor.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/ObjectBase/Result.h"

#include <cstdint>
#include <map>

namespace ZQ
{
// The key of a handler's binding: the source distributor (null for notifications handed over directly)
// and the identifier, ordered by source address, then identifier address.
struct Receivable
{
    const LNotificationDistributor* source;
    NotificationID id;

    bool operator<(const Receivable& other) const
    {
        const auto a = reinterpret_cast<uintptr_t>(source);
        const auto b = reinterpret_cast<uintptr_t>(other.source);
        if (a != b)
            return a < b;
        return reinterpret_cast<uintptr_t>(id) < reinterpret_cast<uintptr_t>(other.id);
    }
};

// Binds member functions of its owner per (source, identifier). AddCallback registers the owner with the
// source and binds; the owner's ReceiveNotification passes incoming notifications to Dispatch. T derives
// from LNotificationClient. The owner holds the handler; the handler holds no reference back. Bindings
// are changed on the owner's thread and never while another thread delivers to the owner.
template <class T>
class LNotificationHandler : public virtual LRefCountedObject
{
public:
    using Callback = ZQRESULT (T::*)(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>& notification);

    [[nodiscard]] static RCPtr<LNotificationHandler> Create(T* owner)
    {
        return RCPtr<LNotificationHandler>(new LNotificationHandler(owner));
    }

    // 0; E_INVALIDARG for a null source; E_FAIL when the owner's registration gives no identifier. When
    // (source, name) is bound already the first callback stays; the flags are replaced all the same.
    ZQRESULT AddCallback(Callback callback, const RCPtr<LNotificationDistributor>& source,
                         const char16_t* name, uint32_t flags = 0)
    {
        if (source.IsNull())
            return E_INVALIDARG;
        const NotificationID id = Client()->RegisterWithDistributor(source, name, flags);
        if (id == nullptr)
            return E_FAIL;
        mBindings.emplace(Receivable{source.Get(), id}, callback);
        return S_OK;
    }

    // Binds callback for notifications handed to the owner with a null source; registers nothing.
    ZQRESULT AddDirectCallback(Callback callback, const char16_t* name)
    {
        const NotificationID id = LNotification::GetIDFromName(name);
        if (id == nullptr)
            return E_FAIL;
        mBindings.emplace(Receivable{nullptr, id}, callback);
        return S_OK;
    }

    // The bound member function's result; 0 when nothing is bound.
    ZQRESULT Dispatch(const RCPtr<LNotificationDistributor>& source, const RCPtr<LNotification>& notification)
    {
        if (notification.IsNull())
            return S_OK;
        const auto found = mBindings.find(Receivable{source.Get(), notification->GetID()});
        if (found == mBindings.end())
            return S_OK;
        return (mOwner->*(found->second))(source, notification);
    }

    // True when a binding was removed.
    bool RemoveCallback(const LNotificationDistributor* source, const char16_t* name)
    {
        const NotificationID id = LNotification::GetIDFromName(name);
        return id != nullptr && mBindings.erase(Receivable{source, id}) > 0;
    }

    [[nodiscard]] bool HasCallback(const LNotificationDistributor* source, const char16_t* name) const
    {
        const NotificationID id = LNotification::GetIDFromName(name);
        return id != nullptr && mBindings.count(Receivable{source, id}) > 0;
    }

    // E_FAIL when nothing is bound; otherwise the callback and the source's GetClientFlags answer.
    ZQRESULT GetCallback(const RCPtr<LNotificationDistributor>& source, const char16_t* name,
                         Callback& callback, uint32_t& flags) const
    {
        const NotificationID id = LNotification::GetIDFromName(name);
        const auto found = mBindings.find(Receivable{source.Get(), id});
        if (id == nullptr || found == mBindings.end())
            return E_FAIL;
        callback = found->second;
        if (source.IsNull())
            return E_FAIL;
        return source->GetClientFlags(Client(), id, flags);
    }

    [[nodiscard]] T* GetOwner() const { return mOwner; }
    [[nodiscard]] LNotificationClient* Client() const { return static_cast<LNotificationClient*>(mOwner); }

private:
    explicit LNotificationHandler(T* owner) : mOwner(owner) {}

    T* mOwner;
    std::map<Receivable, Callback> mBindings;
};
} // namespace ZQ
