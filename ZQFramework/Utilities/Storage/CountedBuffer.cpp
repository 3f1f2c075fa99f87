#include "ZQFramework/Utilities/Storage/CountedBuffer.h"

namespace ZQ
{
template class LBufferT<1, 128, 8, char*>;
template class LBufferT<1, 0, 8, char*>;
} // namespace ZQ
