#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/ObjectBase/TypeName.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <typeinfo>

// The default text of every counted object is a string, and a string keeps its characters in a counted
// buffer: the one function of the object base that builds a string is defined here, with the strings.
namespace ZQ
{
StringT<char16_t, char> LRefCountedObject::ToString() const
{
    const StringT<char16_t, char> typeName(DynamicTypeName(typeid(*this)).c_str());
    const StringT<char16_t, char> prefix(
        "LRefCountedObject::ToString() not overridden. Returning TypeName: ");
    return prefix + typeName;
}
} // namespace ZQ
