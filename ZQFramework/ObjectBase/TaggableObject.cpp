#include "ZQFramework/ObjectBase/TaggableObject.h"

namespace ZQ
{
LTaggableObject::~LTaggableObject() = default;
} // namespace ZQ
