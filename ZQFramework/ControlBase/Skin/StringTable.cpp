#include "ZQFramework/ControlBase/Skin/StringTable.h"

namespace ZQ
{
RCPtr<LStringTable> LStringTable::Create(const Map& entries)
{
    return RCPtr<LStringTable>(new LStringTable(entries));
}

LStringTable::~LStringTable() = default;

bool LStringTable::GetString(const WString& key, WString& text) const
{
    const auto found = mEntries.find(key);
    if (found == mEntries.end())
        return false;
    text = found->second;
    return true;
}

ZQRESULT LStringTable::SetString(const WString& key, const WString& text)
{
    if (key.IsEmpty())
        return E_INVALIDARG;
    const auto [entry, added] = mEntries.insert_or_assign(key, text);
    return added ? S_OK : S_FALSE;
}

bool LStringTable::HasString(const WString& key) const
{
    return mEntries.contains(key);
}

ZQRESULT LStringTable::GetAllPairs(PairArray& out) const
{
    return GetPairsWithPrefix(EmptyString, out);
}

ZQRESULT LStringTable::GetPairsWithPrefix(const WString& prefix, PairArray& out) const
{
    out.RemoveAll();
    // Keys with the prefix form one run of the ordered map, starting at the prefix itself.
    for (auto entry = mEntries.lower_bound(prefix); entry != mEntries.end(); ++entry)
    {
        if (entry->first.Left(prefix.GetLength()) != prefix)
            break;
        out.Add({entry->first, entry->second});
    }
    return S_OK;
}
} // namespace ZQ
