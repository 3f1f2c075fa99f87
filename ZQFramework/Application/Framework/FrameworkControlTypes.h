#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"

#include <cstdint>
#include <span>

namespace ZQ
{
// The create function of framework control class T, registered under its "Framework." names: the control
// base's one creation sequence (construct under the parent with the descriptor's name, apply the
// descriptor, create the children, Initialize, OnCreated, mark created). A control whose Initialize failed
// is still created; nothing the control or its children send before it is marked created reaches its own
// handlers.
template <class T>
RCPtr<LControl> CreateFrameworkControl(const RCPtr<LControl>& parent,
                                       const RCPtr<LControlDescriptor>& descriptor)
{
    return LControl::CreateFromDescriptor<T>(parent, descriptor);
}

// One row of the framework's control types: the skin's class name, its create function, and the line
// that the start-up's error text names when the registration fails.
struct FrameworkControlType
{
    const char16_t* className;
    LControlDescriptor::CreateFunction create;
    int32_t line;
};

// The framework's control types in registration order. Each control class of the framework adds its rows
// here as it is built.
[[nodiscard]] std::span<const FrameworkControlType> GetFrameworkControlTypes();

// Registers the types with the factory in order. A registration with a negative result throws the
// "Failed Result" error naming the row's line.
void RegisterFrameworkControlTypes(LControlFactory& factory, std::span<const FrameworkControlType> types);
} // namespace ZQ
